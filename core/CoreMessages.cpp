#include "core/Core.h"

namespace {
CCore::MessageHook messageHook = nullptr;
}  // namespace

void CCore::setMessageHook(MessageHook hook) { messageHook = hook; }

int CCore::messageBox(HWND owner, const std::string& text, UINT type) {
    if (messageHook) return messageHook(owner, text, type);
    return MessageBoxW(owner, systemText(text).c_str(), L"Trackvane", type);
}

void CCore::msgboxInfo(HWND owner, const std::string& text) {
    messageBox(owner, text, MB_OK | MB_ICONINFORMATION);
}

void CCore::msgboxWarning(HWND owner, const std::string& text) {
    messageBox(owner, text, MB_OK | MB_ICONWARNING);
}

bool CCore::msgboxRetry(HWND owner, const std::string& text) {
    return messageBox(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

int CCore::msgboxQuestion(HWND owner, const std::string& text, UINT buttons) {
    return messageBox(owner, text, buttons | MB_ICONQUESTION);
}

std::string CCore::errorText(DWORD error) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, (LPWSTR)&buf, 0, nullptr);
    std::string text = n && buf ? wideToAnsi(std::wstring(buf, n)) : std::string();
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "错误代码 " + std::to_string(error) : text;
}
