#include "tests/win/WinTestSupport.h"

#include "framework/Dialog.h"
#include "framework/Handles.h"

#include <shellapi.h>

namespace {
std::vector<CapturedBox> capturedBoxes;
int capturedAnswer = IDOK;
uint32_t fakeTick = 0;

int recordBox(HWND, const std::string& text, UINT type) {
    capturedBoxes.push_back({text, type});
    return capturedAnswer;
}

uint32_t readFakeTick() { return fakeTick; }

}  // namespace

void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full + L"\\");
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    path_ = std::string(temp) + "tvtest_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { removeTree(toWide(path_)); }

void ScratchFolder::write(const std::string& name, const std::string& bytes) const {
    std::string full = path_ + name;
    for (size_t slash = full.find('\\', path_.size()); slash != std::string::npos; slash = full.find('\\', slash + 1))
        CreateDirectoryA(full.substr(0, slash).c_str(), nullptr);
    HANDLE f = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(f);
}

std::string ScratchFolder::read(const std::string& name) const {
    std::string bytes;
    CCore reader;
    reader.readFile(path_ + name, &bytes, (size_t)-1);
    return bytes;
}

MessageCapture::MessageCapture(int answer) {
    capturedBoxes.clear();
    capturedAnswer = answer;
    CCore::setMessageHook(&recordBox);
}
MessageCapture::~MessageCapture() { CCore::setMessageHook(nullptr); }
const std::vector<CapturedBox>& MessageCapture::boxes() const { return capturedBoxes; }
void MessageCapture::clear() { capturedBoxes.clear(); }
void MessageCapture::setAnswer(int answer) { capturedAnswer = answer; }

FakeTicks::FakeTicks(uint32_t start) {
    fakeTick = start;
    CCore::setTickSource(&readFakeTick);
}
FakeTicks::~FakeTicks() { CCore::setTickSource(nullptr); }
void FakeTicks::set(uint32_t tick) { fakeTick = tick; }
void FakeTicks::advance(uint32_t ms) { fakeTick += ms; }

namespace {
std::function<void(HWND)> pendingScript;
DWORD scriptThread = 0;

void CALLBACK runScript(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = GetActiveWindow();
    auto script = std::move(pendingScript);
    pendingScript = nullptr;
    if (script) script(dialog);
}
}  // namespace

INT_PTR runModalImpl(std::function<INT_PTR()> doModal, std::function<void(HWND)> script) {
    pendingScript = std::move(script);
    scriptThread = GetCurrentThreadId();
    SetTimer(nullptr, 0, 10, &runScript);
    return doModal();
}

void clickButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void pumpPending() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (!WalkPreTranslateTree(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

void pumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        pumpPending();
        Sleep(5);
    }
}

bool pumpUntil(std::function<bool()> done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) return false;
        pumpPending();
        Sleep(5);
    }
    return true;
}

void holdKey(UINT vk, bool held) {
    BYTE state[256];
    GetKeyboardState(state);
    state[vk] = held ? 0x80 : 0;
    SetKeyboardState(state);
}

void holdControl(bool held) { holdKey(VK_CONTROL, held); }

void pressKey(HWND target, UINT vk, LPARAM lParam, UINT message) {
    MSG m = {};
    m.hwnd = target;
    m.message = message;
    m.wParam = vk;
    m.lParam = lParam;
    if (!WalkPreTranslateTree(&m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void ageFile(const std::string& path) {
    ScopedFile f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 3600ull * 10000000;
    const FILETIME hourAgo = {t.LowPart, t.HighPart};
    SetFileTime(f.get(), nullptr, nullptr, &hourAgo);
}
