// What the two windows of a race say to each other: the messages the audience
// window's keys become for the control dialog, and the key table's view of a
// key message and of the race as it stands. The control dialog hands the
// audience window takeOutputKey; the audience window knows nothing of the
// race.
#pragma once

#include "race/KeyTable.h"

#include <windows.h>

// The control dialog's window; the audience window posts to it.
extern HWND mainDlgWnd;

// Posted to the control dialog.
constexpr UINT UM_REFRESH_TIMES = WM_USER + 1;
// wParam: a virtual-key code; numpad 0 starts or ends the race.
constexpr UINT UM_REMOTE_KEY = WM_USER + 2;
// A race command of the key table (wParam) taken on the audience window;
// lParam: the contestant of a clock command.
constexpr UINT UM_RACE_COMMAND = WM_USER + 3;

// WM_KEYDOWN, WM_KEYUP and their system forms.
bool isKeyMessage(UINT message);
// A key message of the audience window: what the key table makes of it is
// posted to the control dialog (UM_RACE_COMMAND); true when the message goes
// no further.
bool takeOutputKey(MSG* msg);
KeyEvent keyEventOf(const MSG& msg);
KeyContext raceKeyContext(KeyWindow window);

// While one is open (options, scoring, a message box, the colour dialogs)
// the control dialog is disabled, and no key or command changes the race.
bool modalWindowOpen();
