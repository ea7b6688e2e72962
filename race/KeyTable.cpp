#include "race/KeyTable.h"

namespace {

// Virtual-key codes, as the system numbers them.
constexpr int kBackspace = 0x08;
constexpr int kClear = 0x0C;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;
constexpr int kCapital = 0x14;
constexpr int kEscape = 0x1B;
constexpr int kNext = 0x22;
constexpr int kEnd = 0x23;
constexpr int kF4 = 0x73;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kInsert = 0x2D;
constexpr int kLeftWin = 0x5B;
constexpr int kRightWin = 0x5C;
constexpr int kNumpad0 = 0x60;
constexpr int kNumpad1 = 0x61;
constexpr int kNumpad8 = 0x68;
constexpr int kNumLock = 0x90;
constexpr int kScroll = 0x91;
constexpr int kLeftShift = 0xA0;
constexpr int kRightMenu = 0xA5;
constexpr int kPeriod = 0xBE;

// Shift, Ctrl, Alt (either side), the Windows keys and the lock keys: pressed
// on their way to another key, or by a remote's driver, never meant on their
// own.
bool isModifierOrLock(int vk) {
    return vk == kShift || vk == kControl || vk == kMenu || vk == kCapital || vk == kLeftWin ||
           vk == kRightWin || vk == kNumLock || vk == kScroll || (vk >= kLeftShift && vk <= kRightMenu);
}

KeyDecision decision(RaceCommand command, bool consumed = false, int contestant = -1) {
    return KeyDecision{command, contestant, consumed, false};
}

// What the key would do with no modal window in the way. Ctrl changes
// nothing about the race keys (an operator still holding it after Ctrl+Z
// stops clock 3 with '3'); it only makes Z the undo key and keeps the
// key-code box away from shortcuts.
KeyDecision decideFreely(const KeyEvent& key, int vk, const KeyContext& context) {
    const bool running = context.raceRunning;
    if (vk == kEscape) return decision(RaceCommand::None, true);
    if (vk == kReturn) return decision(running ? RaceCommand::None : RaceCommand::StartRace, true);
    if (vk == '0') return decision(RaceCommand::ClearData);
    if (vk >= '1' && vk <= '8')
        return decision(running ? RaceCommand::ToggleClock : RaceCommand::None, false, vk - '1');
    if (vk == kNumpad0) return decision(RaceCommand::RemoteCommand);
    if (vk >= kNumpad1 && vk <= kNumpad8)
        return decision(running ? RaceCommand::ToggleClock : RaceCommand::None, false, vk - kNumpad1);
    if (vk == kPeriod) return decision(running ? RaceCommand::EndRace : RaceCommand::None);
    // Outside a race they take back the end of the race just ended.
    if (vk == kBackspace || (vk == 'Z' && key.ctrl)) return decision(RaceCommand::Undo);
    if (isModifierOrLock(vk) || key.ctrl) return decision(RaceCommand::None);
    // Operators find out what their remote sends this way; during a race
    // a box would take the keyboard from the clocks, and the audience window
    // shows nothing of the kind.
    const bool show = !running && context.window == KeyWindow::Control;
    return decision(show ? RaceCommand::ShowKeyCode : RaceCommand::None);
}

}  // namespace

KeyEvent keyEventOf(int virtualKey, uint32_t lParam, bool systemKey, bool shift, bool ctrl,
                    bool alt, bool release) {
    KeyEvent key{};
    key.virtualKey = virtualKey;
    key.scanCode = static_cast<int>((lParam >> 16) & 0xFF);
    key.extended = (lParam & (1u << 24)) != 0;
    key.repeat = (lParam & (1u << 30)) != 0;
    key.systemKey = systemKey;
    key.shift = shift;
    key.ctrl = ctrl;
    key.alt = alt;
    key.release = release;
    if (release) key.repeat = false;
    return key;
}

int numericPadKey(const KeyEvent& key) {
    if (key.extended) return key.virtualKey;
    // With Num Lock off the pad sends the keys printed under its digits.
    static const int padWithoutNumLock[] = {kInsert, kEnd, kDown, kNext, kLeft,
                                            kClear,  kRight, kHome, kUp};
    for (int digit = 0; digit < 9; ++digit) {
        if (key.virtualKey == padWithoutNumLock[digit]) return kNumpad0 + digit;
    }
    return key.virtualKey;
}

KeyDecision decideKey(const KeyEvent& key, const KeyContext& context) {
    if (key.systemKey) {
        // Alt+F4 and friends: the audience screen never closes from the
        // keyboard; during a race Alt+F4 there asks the control dialog's
        // question, as it does on the control dialog itself.
        const bool closeAsked = key.virtualKey == kF4 && key.alt && context.raceRunning && !key.repeat &&
                                !key.release && !context.modalOpen;
        if (context.window == KeyWindow::Output)
            return KeyDecision{closeAsked ? RaceCommand::CloseProgram : RaceCommand::None, -1, true, true};
        // During a race Alt+Space, F10 or Alt alone would open the control
        // dialog's system menu, whose own loop then eats the next race keys;
        // only Alt+F4 still reaches the question before closing. Outside a
        // race the dialog keeps its system keys.
        const bool close = key.virtualKey == kF4 && key.alt;
        return decision(RaceCommand::None, context.raceRunning && !close);
    }
    KeyDecision d = decideFreely(key, numericPadKey(key), context);
    // Outside the table a key does nothing at all during a race.
    if (context.raceRunning && d.command == RaceCommand::None) d.consumed = true;
    // A held key acts once, a release never, and nothing changes a race
    // behind a modal window; the key is consumed or passed on all the same.
    if (key.repeat || key.release || context.modalOpen) d.command = RaceCommand::None;
    if (d.command == RaceCommand::None) d.contestant = -1;
    return d;
}
