// The operator's keys: one table for both windows, so that the control
// dialog and the audience window can never disagree about what a key does.
// A key event goes in, one race command comes out; the control dialog then
// carries the command out, whichever window had the keyboard. During a race
// no other key reaches a window's own handling, so that Space on a focused
// button cannot end the race or hide the scoreboard; a key's release goes
// where its press went.
#pragma once

#include <cstdint>

enum class KeyWindow { Control, Output };

struct KeyEvent {
    int virtualKey;
    int scanCode;
    bool extended;   // the arrow and Home/End block, not the numeric pad
    bool repeat;     // the key was already down: auto-repeat of a held key
    bool systemKey;  // WM_SYSKEYDOWN: Alt held (or F10)
    bool shift;
    bool ctrl;
    bool alt;
    bool release;    // WM_KEYUP or WM_SYSKEYUP
};

// A key-down message's fields as the system gives them: lParam carries the
// scan code (bits 16-23), the extended flag (bit 24) and the previous key
// state (bit 30, always set on a release).
KeyEvent keyEventOf(int virtualKey, uint32_t lParam, bool systemKey, bool shift, bool ctrl,
                    bool alt, bool release = false);

struct KeyContext {
    KeyWindow window;
    bool raceRunning;
    bool modalOpen;  // any modal window of the program is up
};

enum class RaceCommand {
    None,
    StartRace,
    EndRace,
    ClearData,
    RemoteCommand,  // numpad 0: starts or ends the race
    ToggleClock,
    Undo,  // the last clock action, or the end of the race just ended
    ShowKeyCode,
    CloseProgram,  // as the control dialog's close box: asks first during a race
};

struct KeyDecision {
    RaceCommand command;
    int contestant;  // ToggleClock: 0 .. 7
    bool consumed;   // the message goes no further than the table
    bool clearKey;   // the message's key is blanked before it is consumed
};

KeyDecision decideKey(const KeyEvent& key, const KeyContext& context);

// The numeric pad's keys with Num Lock off (Insert, End, Down ... Up without
// the extended flag) as the pad's digits with Num Lock on; any other key as
// it is.
int numericPadKey(const KeyEvent& key);
