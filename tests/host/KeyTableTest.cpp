// The one key table of both windows, and the clock rule and undo history
// that its clock and undo commands work on.
#include "race/KeyTable.h"
#include "race/RaceClock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using C = RaceCommand;
const KeyWindow Ctl = KeyWindow::Control;
const KeyWindow Out = KeyWindow::Output;

constexpr uint32_t kExtended = 1u << 24;
constexpr uint32_t kRepeat = 1u << 30;

enum Mods { None = 0, Ctrl = 1, Alt = 2, Shift = 4, Sys = 8, Up = 16 };

struct Row {
    KeyWindow window;
    bool running;
    int vk;
    uint32_t flags;  // lParam bits
    int mods;
    C command;
    int contestant;
    bool consumed;
    bool clearKey;
};

const char* name(C c) {
    switch (c) {
    case C::None: return "None";
    case C::StartRace: return "StartRace";
    case C::EndRace: return "EndRace";
    case C::ClearData: return "ClearData";
    case C::RemoteCommand: return "RemoteCommand";
    case C::ToggleClock: return "ToggleClock";
    case C::Undo: return "Undo";
    case C::ShowKeyCode: return "ShowKeyCode";
    case C::CloseProgram: return "CloseProgram";
    }
    return "?";
}

KeyDecision decide(const Row& r, bool modal) {
    const KeyEvent key = keyEventOf(r.vk, 1u | r.flags, (r.mods & Sys) != 0, (r.mods & Shift) != 0,
                                    (r.mods & Ctrl) != 0, (r.mods & Alt) != 0, (r.mods & Up) != 0);
    return decideKey(key, KeyContext{r.window, r.running, modal});
}

// Every key of both windows in both race states: what it commands, and
// whether the window's own handling still sees it.
const Row kTable[] = {
    // Enter starts a race and is consumed; during a race it does nothing.
    {Ctl, false, 13, 0, None, C::StartRace, -1, true, false},
    {Ctl, true, 13, 0, None, C::None, -1, true, false},
    {Out, false, 13, 0, None, C::StartRace, -1, true, false},
    {Out, true, 13, 0, None, C::None, -1, true, false},
    // Esc never closes anything.
    {Ctl, false, 27, 0, None, C::None, -1, true, false},
    {Out, true, 27, 0, None, C::None, -1, true, false},
    // '0' clears (refused by the dialog during a race), on either window.
    {Ctl, false, '0', 0, None, C::ClearData, -1, false, false},
    {Ctl, true, '0', 0, None, C::ClearData, -1, false, false},
    {Out, true, '0', 0, None, C::ClearData, -1, false, false},
    // The contestants' keys, main row and pad, only during a race.
    {Ctl, true, '1', 0, None, C::ToggleClock, 0, false, false},
    {Ctl, true, '8', 0, None, C::ToggleClock, 7, false, false},
    {Out, true, '5', 0, None, C::ToggleClock, 4, false, false},
    {Ctl, false, '1', 0, None, C::None, -1, false, false},
    {Ctl, true, 0x61, 0, None, C::ToggleClock, 0, false, false},
    {Out, true, 0x68, 0, None, C::ToggleClock, 7, false, false},
    {Ctl, false, 0x62, 0, None, C::None, -1, false, false},
    // '9' and numpad 9 are nobody's.
    {Ctl, true, '9', 0, None, C::None, -1, true, false},
    {Ctl, false, 0x69, 0, None, C::ShowKeyCode, -1, false, false},
    // Numpad 0 starts or ends, on either window.
    {Ctl, false, 0x60, 0, None, C::RemoteCommand, -1, false, false},
    {Ctl, true, 0x60, 0, None, C::RemoteCommand, -1, false, false},
    {Out, true, 0x60, 0, None, C::RemoteCommand, -1, false, false},
    // Full stop ends a race, on either window; outside one it does nothing.
    {Ctl, true, 0xBE, 0, None, C::EndRace, -1, false, false},
    {Out, true, 0xBE, 0, None, C::EndRace, -1, false, false},
    {Ctl, false, 0xBE, 0, None, C::None, -1, false, false},
    // Num Lock off: the pad's Insert, End, Down ... Up are its 0 to 8.
    {Ctl, false, 0x2D, 0, None, C::RemoteCommand, -1, false, false},
    {Out, true, 0x2D, 0, None, C::RemoteCommand, -1, false, false},
    {Ctl, true, 0x23, 0, None, C::ToggleClock, 0, false, false},
    {Ctl, true, 0x28, 0, None, C::ToggleClock, 1, false, false},
    {Ctl, true, 0x22, 0, None, C::ToggleClock, 2, false, false},
    {Ctl, true, 0x25, 0, None, C::ToggleClock, 3, false, false},
    {Ctl, true, 0x0C, 0, None, C::ToggleClock, 4, false, false},
    {Out, true, 0x27, 0, None, C::ToggleClock, 5, false, false},
    {Ctl, true, 0x24, 0, None, C::ToggleClock, 6, false, false},
    {Ctl, true, 0x26, 0, None, C::ToggleClock, 7, false, false},
    // ... but the arrow and Home/End block (extended) is no race key.
    {Ctl, true, 0x28, kExtended, None, C::None, -1, true, false},
    {Ctl, false, 0x28, kExtended, None, C::ShowKeyCode, -1, false, false},
    {Ctl, true, 0x2D, kExtended, None, C::None, -1, true, false},
    {Ctl, false, 0x24, kExtended, None, C::ShowKeyCode, -1, false, false},
    {Out, true, 0x26, kExtended, None, C::None, -1, true, false},
    // Undo: Backspace and Ctrl+Z, in a race and after it (the dialog takes
    // an ended race back, or does nothing); never a box.
    {Ctl, true, 0x08, 0, None, C::Undo, -1, false, false},
    {Out, true, 0x08, 0, None, C::Undo, -1, false, false},
    {Ctl, true, 'Z', 0, Ctrl, C::Undo, -1, false, false},
    {Out, true, 'Z', 0, Ctrl, C::Undo, -1, false, false},
    {Ctl, false, 0x08, 0, None, C::Undo, -1, false, false},
    {Out, false, 'Z', 0, Ctrl, C::Undo, -1, false, false},
    {Ctl, true, 'Z', 0, None, C::None, -1, true, false},
    {Ctl, false, 'Z', 0, None, C::ShowKeyCode, -1, false, false},
    // Ctrl and Shift change nothing about the race keys; any other Ctrl
    // chord is no race key and shows no box.
    {Ctl, true, '3', 0, Ctrl, C::ToggleClock, 2, false, false},
    {Out, true, 0x62, 0, Ctrl, C::ToggleClock, 1, false, false},
    {Ctl, false, 13, 0, Ctrl, C::StartRace, -1, true, false},
    {Ctl, true, 0xBE, 0, Ctrl, C::EndRace, -1, false, false},
    {Ctl, true, 0x08, 0, Ctrl, C::Undo, -1, false, false},
    {Ctl, false, '0', 0, Ctrl, C::ClearData, -1, false, false},
    {Ctl, true, 'C', 0, Ctrl, C::None, -1, true, false},
    {Out, true, 27, 0, Ctrl, C::None, -1, true, false},
    {Ctl, false, 'C', 0, Ctrl, C::None, -1, false, false},
    {Ctl, true, '2', 0, Shift, C::ToggleClock, 1, false, false},
    // Modifier and lock keys never bring the key-code box.
    {Ctl, false, 0x10, 0, Shift, C::None, -1, false, false},
    {Ctl, false, 0x11, 0, Ctrl, C::None, -1, false, false},
    {Ctl, false, 0xA0, 0, Shift, C::None, -1, false, false},
    {Ctl, false, 0xA3, kExtended, Ctrl, C::None, -1, false, false},
    {Ctl, false, 0x5B, kExtended, None, C::None, -1, false, false},
    {Ctl, false, 0x5C, kExtended, None, C::None, -1, false, false},
    {Ctl, false, 0x14, 0, None, C::None, -1, false, false},
    {Ctl, false, 0x90, kExtended, None, C::None, -1, false, false},
    {Ctl, false, 0x91, 0, None, C::None, -1, false, false},
    // Any other key: its code in a box outside a race, on the control
    // dialog only; ignored during a race.
    {Ctl, false, 0x74, 0, None, C::ShowKeyCode, -1, false, false},  // F5
    {Ctl, false, 0x09, 0, None, C::ShowKeyCode, -1, false, false},  // Tab
    {Ctl, true, 0x74, 0, None, C::None, -1, true, false},
    {Ctl, true, 0x09, 0, None, C::None, -1, true, false},
    // Space clicks a focused button outside a race only; during one,
    // letters and arrows do nothing either, on any control.
    {Ctl, false, 0x20, 0, None, C::ShowKeyCode, -1, false, false},
    {Ctl, true, 0x20, 0, None, C::None, -1, true, false},
    {Out, true, 0x20, 0, None, C::None, -1, true, false},
    {Ctl, true, 'A', 0, None, C::None, -1, true, false},
    {Ctl, true, 0x27, kExtended, Shift, C::None, -1, true, false},
    {Ctl, true, 0x10, 0, Shift, C::None, -1, true, false},
    {Ctl, false, 0xA5, kExtended, Alt, C::None, -1, false, false},
    {Out, false, 0x74, 0, None, C::None, -1, false, false},
    // Alt combinations: the audience window blanks and swallows them
    // (Alt+F4 never closes it; during a race it asks the control dialog's
    // question, F4 without Alt does not). The control dialog keeps its own
    // outside a race; during one only Alt+F4 (which asks first), since
    // Alt+Space, F10 or Alt alone open the system menu, whose loop eats the
    // race keys.
    {Out, true, 0x73, 0, Alt | Sys, C::CloseProgram, -1, true, true},
    {Out, false, 0x73, 0, Alt | Sys, C::None, -1, true, true},
    {Out, true, 0x73, 0, Sys, C::None, -1, true, true},
    {Out, false, 0x60, 0, Alt | Sys, C::None, -1, true, true},
    {Ctl, true, 0x73, 0, Alt | Sys, C::None, -1, false, false},
    {Ctl, true, 0x20, 0, Alt | Sys, C::None, -1, true, false},
    {Ctl, true, 0x12, 0, Alt | Sys, C::None, -1, true, false},
    {Ctl, true, 0x79, 0, Sys, C::None, -1, true, false},
    {Ctl, true, 0x73, 0, Sys, C::None, -1, true, false},
    {Ctl, false, 0x20, 0, Alt | Sys, C::None, -1, false, false},
};

TEST(KeyTable, EveryKeyOfBothWindowsInBothRaceStates) {
    for (const Row& r : kTable) {
        const KeyDecision d = decide(r, false);
        const std::string where = std::string(r.window == Ctl ? "control" : "output") +
                                  (r.running ? " running" : " idle") + " vk " +
                                  std::to_string(r.vk) + " flags " + std::to_string(r.flags) +
                                  " mods " + std::to_string(r.mods);
        EXPECT_STREQ(name(d.command), name(r.command)) << where;
        EXPECT_EQ(d.contestant, r.contestant) << where;
        EXPECT_EQ(d.consumed, r.consumed) << where;
        EXPECT_EQ(d.clearKey, r.clearKey) << where;
    }
}

TEST(KeyTable, AHeldKeyAReleaseAndAModalWindowChangeNothingButKeepTheMessagesWay) {
    for (const Row& r : kTable) {
        Row repeated = r, released = r;
        repeated.flags |= kRepeat;
        released.flags |= kRepeat;  // always set on a release
        released.mods |= Up;
        for (const KeyDecision d : {decide(repeated, false), decide(r, true), decide(released, false)}) {
            EXPECT_STREQ(name(d.command), "None") << "vk " << r.vk;
            EXPECT_EQ(d.contestant, -1);
            EXPECT_EQ(d.consumed, r.consumed) << "vk " << r.vk;
            EXPECT_EQ(d.clearKey, r.clearKey) << "vk " << r.vk;
        }
    }
    // The bits the table reads: scan code 16-23, extended 24, held 30.
    const KeyEvent key = keyEventOf(0x28, 0x40500001u, false, false, false, false);
    EXPECT_EQ(key.scanCode, 0x50);
    EXPECT_FALSE(key.extended);
    EXPECT_TRUE(key.repeat);
    EXPECT_EQ(numericPadKey(key), 0x62);
    EXPECT_EQ(numericPadKey(keyEventOf(0x28, 0x01500001u, false, false, false, false)), 0x28);
    EXPECT_EQ(numericPadKey(keyEventOf('A', 1u, false, false, false, false)), 'A');
}

// Clock actions of one race, each undone in turn.
TEST(RaceClock, UndoGivesBackEachClockAsItWasOneStepAtATime) {
    Contestant table[MAX_CONTESTANTS] = {};
    ClockHistory history;
    auto press = [&](int i, uint32_t now) {
        history.record(i, table[i]);
        return toggleClockAt(table[i], now);
    };
    EXPECT_EQ(press(0, 1000), ClockAction::Start);
    EXPECT_EQ(press(1, 0), ClockAction::Start);  // tick 0 is "never started"
    EXPECT_EQ(table[1].startTick, 1u);
    EXPECT_EQ(press(0, 61000), ClockAction::Stop);
    EXPECT_EQ(press(0, 62000), ClockAction::Restart);  // the mistake
    EXPECT_EQ(table[0].timing, 1);

    // Undoing the restart brings the stopped time back ...
    EXPECT_EQ(history.undo(table), 0);
    EXPECT_EQ(table[0].timing, 0);
    EXPECT_EQ(table[0].stopTick - table[0].startTick, 60000u);
    // ... undoing the stop lets the clock run on from its first start ...
    EXPECT_EQ(history.undo(table), 0);
    EXPECT_EQ(table[0].timing, 1);
    EXPECT_EQ(table[0].startTick, 1000u);
    // ... and undoing the starts leaves clocks that never ran.
    EXPECT_EQ(history.undo(table), 1);
    EXPECT_EQ(history.undo(table), 0);
    EXPECT_EQ(table[0].startTick, 0u);
    EXPECT_EQ(table[0].timing, 0);
    EXPECT_EQ(table[1].startTick, 0u);
    EXPECT_EQ(history.undo(table), -1);  // the start of the race is the floor

    press(2, 5000);
    history.clear();  // a new race
    EXPECT_EQ(history.undo(table), -1);
    EXPECT_EQ(table[2].timing, 1);
}

}  // namespace
