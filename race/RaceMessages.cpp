#include "race/RaceMessages.h"

#include "core/RaceState.h"

HWND mainDlgWnd = nullptr;

bool isKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
           message == WM_SYSKEYUP;
}

bool takeOutputKey(MSG* msg) {
    if (!isKeyMessage(msg->message)) return false;
    const KeyDecision d = decideKey(keyEventOf(*msg), raceKeyContext(KeyWindow::Output));
    if (d.command != RaceCommand::None) PostMessageW(mainDlgWnd, UM_RACE_COMMAND, (WPARAM)d.command, d.contestant);
    if (d.clearKey) msg->wParam = 0;
    return d.consumed;
}

KeyEvent keyEventOf(const MSG& msg) {
    const auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
    const bool system = msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP;
    const bool release = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    return keyEventOf((int)msg.wParam, (uint32_t)msg.lParam, system, down(VK_SHIFT), down(VK_CONTROL),
                      down(VK_MENU), release);
}

KeyContext raceKeyContext(KeyWindow window) {
    return KeyContext{window, raceRunning != 0, modalWindowOpen()};
}

bool modalWindowOpen() { return mainDlgWnd && !IsWindowEnabled(mainDlgWnd); }
