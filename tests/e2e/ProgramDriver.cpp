#include "tests/e2e/ProgramDriver.h"

#include "core/Core.h"
#include "framework/Handles.h"
#include "tests/win/WinTestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace e2e {

namespace {

const int kListId = 1005;
const int kExportId = 1008;
const UINT kBoxTextId = 0xFFFF;

void makeFolders(const std::wstring& full) {
    // Every prefix that ends before a backslash, past the drive's own.
    for (size_t at = full.find(L'\\', 3); at != std::wstring::npos; at = full.find(L'\\', at + 1))
        CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
}

void listTree(const std::wstring& dir, const std::string& relative, std::vector<std::string>* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = wideToAnsi(fd.cFileName);
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            listTree(dir + fd.cFileName + L"\\", relative + name + "\\", out);
        } else {
            const unsigned long long size = (unsigned long long)fd.nFileSizeHigh << 32 | fd.nFileSizeLow;
            out->push_back(relative + name + " " + std::to_string(size));
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::string className(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::wstring wideWindowText(HWND w) {
    if (!w) return std::wstring();
    // The other process may be stuck: never wait on it for long.
    std::wstring text(64 * 1024, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, text.size(), (LPARAM)&text[0], SMTO_ABORTIFHUNG, 3000,
                             &got))
        return std::wstring();
    text.resize(std::min<size_t>(got, text.size()));
    return text;
}

std::string windowText(HWND w) { return wideToAnsi(wideWindowText(w)); }

bool visibleChild(HWND parent, int id) {
    HWND child = GetDlgItem(parent, id);
    return child && IsWindowVisible(child);
}

struct OwnWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOwn(HWND w, LPARAM data) {
    auto* own = reinterpret_cast<OwnWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == own->pid) own->found.push_back(w);
    return TRUE;
}

void ensureGdiplus() {
    static ULONG_PTR token = 0;
    if (token) return;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
}


}  // namespace

std::string Ending::describe() const {
    if (!exitedByItself) return "did not exit within 10 s of WM_CLOSE (a hang); terminated";
    char text[64];
    std::snprintf(text, sizeof text, "exited with code 0x%08lX", (unsigned long)exitCode);
    return text;
}

std::string builtExe() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\'));  // tests\e2e
    path = path.substr(0, path.find_last_of('\\'));  // tests
    path = path.substr(0, path.find_last_of('\\'));  // build root
    return path + "\\bin\\Trackvane.exe";
}

ProgramDriver::ProgramDriver(const std::wstring& folder) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    root_ = std::wstring(temp) + L"tve2e_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial) + L"\\";
    app_ = root_ + folder + L"\\";
    makeFolders(app_);
    CopyFileW(toWide(builtExe()).c_str(), widePath("Trackvane.exe").c_str(), FALSE);
}

ProgramDriver::~ProgramDriver() {
    if (started_) {
        if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 10000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    removeTree(root_);
}

std::string ProgramDriver::path(const std::string& name) const { return wideToAnsi(app_) + name; }

std::wstring ProgramDriver::widePath(const std::string& name) const { return app_ + toWide(name); }

void ProgramDriver::write(const std::string& name, const std::string& bytes) const {
    const std::wstring full = widePath(name);
    makeFolders(full);
    HANDLE f = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (f != INVALID_HANDLE_VALUE) {
        // In pieces: WriteFile takes at most 4 GB, and large files are welcome.
        for (size_t at = 0; at < bytes.size(); at += written) {
            const DWORD piece = (DWORD)std::min<size_t>(bytes.size() - at, 1 << 24);
            if (!WriteFile(f, bytes.data() + at, piece, &written, nullptr) || written == 0) break;
        }
        CloseHandle(f);
    }
}

std::string ProgramDriver::read(const std::string& name) const {
    std::string bytes;
    HANDLE f = CreateFileW(widePath(name).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char chunk[64 * 1024];
    DWORD got = 0;
    while (ReadFile(f, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(f);
    return bytes;
}

bool ProgramDriver::exists(const std::string& name) const {
    return GetFileAttributesW(widePath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ProgramDriver::remove(const std::string& name) const {
    if (!name.empty() && name.back() == '\\') removeTree(widePath(name));
    else DeleteFileW(widePath(name).c_str());
}

std::vector<std::string> ProgramDriver::listFiles() const {
    std::vector<std::string> out;
    listTree(root_, "", &out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<HWND> ProgramDriver::ownWindows() const {
    OwnWindows own = {pi_.dwProcessId, {}};
    if (started_) EnumWindows(&collectOwn, (LPARAM)&own);
    return own.found;
}

bool ProgramDriver::running() const {
    return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND ProgramDriver::outputWindow() const {
    for (HWND w : ownWindows()) {
        // The audience window is the one dialog without a caption.
        if (w == dialog_ || className(w) != "#32770") continue;
        if (!(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

std::string ProgramDriver::caption() const { return windowText(dialog_); }

bool ProgramDriver::responsive() const {
    DWORD_PTR result = 0;
    return dialog_ && SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

void ProgramDriver::kill() {
    if (!started_) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    pi_ = PROCESS_INFORMATION{};
    started_ = false;
    dialog_ = nullptr;
}

bool ProgramDriver::start(DWORD ms) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + widePath("Trackvane.exe") + L"\"";
    started_ = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, app_.c_str(), &si,
                              &pi_) != FALSE;
    if (!started_) return false;
    const DWORD begin = GetTickCount();
    const std::string prefix = "Trackvane（";
    waitUntil(
        [&] {
            for (HWND w : ownWindows()) {
                if (className(w) == "#32770" && windowText(w).compare(0, prefix.size(), prefix) == 0) {
                    dialog_ = w;
                    return true;
                }
            }
            return !running();
        },
        ms);
    if (!dialog_) return false;
    // The first tick of the start-up timer loads the roster and shows the
    // output window; a warning about the roster, or the question about a race
    // left behind, follows it in the same tick. Once the program has handled
    // what was sent after that and no box of its making is left, it is up.
    waitUntil([&] { return outputWindow() != nullptr || anyBox() || !running(); },
              ms - std::min<DWORD>(ms, GetTickCount() - begin));
    waitUntil(
        [&] {
            settle();
            return !anyBox() || !running();
        },
        ms - std::min<DWORD>(ms, GetTickCount() - begin));
    return running();
}

bool ProgramDriver::anyBox() const {
    // Visible or not: a box is made hidden and shown once its loop runs.
    for (HWND w : ownWindows())
        if (w != dialog_ && className(w) == "#32770" && GetDlgItem(w, kBoxTextId)) return true;
    return false;
}

void ProgramDriver::serviceBoxes() {
    for (HWND w : ownWindows()) {
        if (w == dialog_ || className(w) != "#32770" || !IsWindowVisible(w)) continue;
        HWND textControl = GetDlgItem(w, kBoxTextId);
        ShownBox box;
        box.hasOk = visibleChild(w, IDOK);
        box.hasCancel = visibleChild(w, IDCANCEL);
        box.hasRetry = visibleChild(w, IDRETRY);
        box.hasYes = visibleChild(w, IDYES);
        box.hasNo = visibleChild(w, IDNO);
        if (!textControl || !(box.hasOk || box.hasCancel || box.hasRetry || box.hasYes)) continue;
        box.wide = wideWindowText(textControl);
        box.text = wideToAnsi(box.wide);
        boxes_.push_back(box);
        int answer = answer_ ? answer_(box) : box.hasCancel ? IDCANCEL : box.hasNo ? IDNO : IDOK;
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(w, answer));
        for (int i = 0; i < 100 && IsWindow(w) && IsWindowVisible(w); ++i) Sleep(50);
    }
}

void ProgramDriver::pause(DWORD ms) {
    const DWORD begin = GetTickCount();
    do {
        serviceBoxes();
        Sleep(20);
    } while (GetTickCount() - begin < ms);
}

bool ProgramDriver::waitUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD begin = GetTickCount();
    for (;;) {
        serviceBoxes();
        if (done()) return true;
        if (GetTickCount() - begin >= ms) return false;
        Sleep(50);
    }
}

bool ProgramDriver::waitForBox(const std::string& part, DWORD ms) {
    auto seen = [&] {
        for (const ShownBox& b : boxes_)
            if (b.text.find(part) != std::string::npos) return true;
        return false;
    };
    return waitUntil(seen, ms);
}

void ProgramDriver::key(UINT vk) {
    serviceBoxes();
    PostMessageA(dialog_, WM_KEYDOWN, vk, 1);
}

void ProgramDriver::keyTo(HWND target, UINT vk, LPARAM lParam, UINT message) {
    serviceBoxes();
    PostMessageA(target, message, vk, lParam);
}

std::string ProgramDriver::listText(int row, int column) const {
    HWND list = GetDlgItem(dialog_, kListId);
    if (!list || !started_) return std::string();
    // The list writes into memory of its own process.
    const size_t textChars = 256;
    char* remote = static_cast<char*>(VirtualAllocEx(
        pi_.hProcess, nullptr, sizeof(LVITEMW) + textChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return std::string();
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = (int)textChars;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof item);
    wchar_t text[textChars] = {};
    DWORD_PTR got = 0;
    if (WriteProcessMemory(pi_.hProcess, remote, &item, sizeof item, nullptr) &&
        SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &got))
        ReadProcessMemory(pi_.hProcess, remote + sizeof item, text, (textChars - 1) * sizeof(wchar_t), nullptr);
    VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
    return wideToAnsi(text);
}

std::string ProgramDriver::itemText(int controlId) const {
    return windowText(GetDlgItem(dialog_, controlId));
}

HWND ProgramDriver::dialogCalled(const std::string& caption) const {
    for (HWND w : ownWindows())
        if (w != dialog_ && className(w) == "#32770" && IsWindowVisible(w) && windowText(w) == caption)
            return w;
    return nullptr;
}

void ProgramDriver::click(int controlId, HWND in) {
    serviceBoxes();
    HWND target = in ? in : dialog_;
    PostMessageA(target, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), (LPARAM)GetDlgItem(target, controlId));
}

void ProgramDriver::setText(HWND dialog, int controlId, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, controlId), WM_SETTEXT, 0, (LPARAM)toWide(text).c_str(),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

void ProgramDriver::mouseClick(int controlId) {
    serviceBoxes();
    HWND button = GetDlgItem(dialog_, controlId);
    RECT r = {};
    GetClientRect(button, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(button, WM_LBUTTONUP, 0, at);
}

DWORD ProgramDriver::startAnotherCopy(DWORD ms) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + widePath("Trackvane.exe") + L"\"";
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, app_.c_str(), &si, &pi))
        return (DWORD)-1;
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

int ProgramDriver::listRows() const {
    HWND list = GetDlgItem(dialog_, kListId);
    DWORD_PTR rows = 0;
    if (!list || !SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rows))
        return -1;
    return (int)rows;
}

void ProgramDriver::settle() const {
    // Sent messages overtake posted ones, so only a posted marker can tell that
    // the keys posted before it were handled. The list's hover time is one the
    // program never reads; the second round waits for what those keys posted
    // in their turn (the scoreboard hands its keys on that way).
    HWND list = GetDlgItem(dialog_, kListId);
    DWORD_PTR original = 0;
    if (!list || !SendMessageTimeoutA(list, LVM_GETHOVERTIME, 0, 0, SMTO_ABORTIFHUNG, 10000, &original))
        return;
    for (LPARAM marker : {4241, 4242}) {
        if (!PostMessageA(list, LVM_SETHOVERTIME, 0, marker)) return;
        const DWORD begin = GetTickCount();
        DWORD_PTR now = 0;
        while (SendMessageTimeoutA(list, LVM_GETHOVERTIME, 0, 0, SMTO_ABORTIFHUNG, 10000, &now) &&
               (LPARAM)now != marker && GetTickCount() - begin < 10000)
            Sleep(2);
    }
    SendMessageTimeoutA(list, LVM_SETHOVERTIME, 0, (LPARAM)original, SMTO_ABORTIFHUNG, 10000, &original);
}

std::string ProgramDriver::runShortRace(UINT contestantKey, int blocks) {
    const std::string before = recordsBytes();
    key(VK_RETURN);
    settle();
    key(contestantKey);
    settle();
    pause(300);
    key(contestantKey);
    settle();
    key(VK_OEM_PERIOD);
    std::string added;
    waitUntil(
        [&] {
            const std::string now = recordsBytes();
            added = now.size() > before.size() ? now.substr(before.size()) : std::string();
            int complete = 0;
            for (size_t at = added.find("\r\n\r\n"); at != std::string::npos; at = added.find("\r\n\r\n", at + 4))
                ++complete;
            return complete >= blocks && added.compare(added.size() - 4, 4, "\r\n\r\n") == 0;
        },
        10000);
    return added;
}

std::string ProgramDriver::exportBoards(std::string* picture) {
    click(kExportId);
    if (!waitForBox("已导出到", 20000)) return std::string();
    std::string table;
    const std::string folder = path("data\\export\\");
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(widePath("data\\export\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return table;
    do {
        const std::string name = wideToAnsi(fd.cFileName);
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
            table = read("data\\export\\" + name);
        if (picture && name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
            *picture = folder + name;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    // The exported table is UTF-8 with a byte-order mark; the names the tests
    // compare with are in the ANSI code page.
    return CCore().textToAnsi(table);
}

Ending ProgramDriver::close() {
    Ending ending;
    if (!started_) return ending;
    if (running()) {
        serviceBoxes();
        PostMessageA(dialog_, WM_CLOSE, 0, 0);
        if (!waitUntil([&] { return !running(); }, 10000)) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 10000);
            ending.exitedByItself = false;
            GetExitCodeProcess(pi_.hProcess, &ending.exitCode);
            return ending;
        }
    }
    ending.exitedByItself = true;
    GetExitCodeProcess(pi_.hProcess, &ending.exitCode);
    return ending;
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

std::string pseudoRandomBytes(size_t n, uint32_t seed) {
    std::string out(n, '\0');
    uint32_t x = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = (char)(x >> 24);
    }
    return out;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

bool writeSolidPicture(const std::string& path, int w, int h, uint32_t argb, const wchar_t* mime) {
    ensureGdiplus();
    CLSID clsid;
    if (!findImageEncoder(mime, &clsid)) return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &bitmap) != gp::Ok)
        return false;
    gp::ScopedImage owner(bitmap);
    Gdiplus::GpGraphics* g = nullptr;
    if (gp::GdipGetImageGraphicsContext(bitmap, &g) != gp::Ok) return false;
    gp::GdipGraphicsClear(g, argb);
    gp::GdipDeleteGraphics(g);
    return gp::GdipSaveImageToFile(bitmap, toWide(path).c_str(), &clsid, nullptr) == gp::Ok;
}

bool writeHugeIndexedPng(const std::string& path, int w, int h) {
    ensureGdiplus();
    CLSID clsid;
    if (!findImageEncoder(L"image/png", &clsid)) return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    // One bit a pixel: 10 000 x 10 000 stays at 12.5 MB here and a few
    // kilobytes on disk.
    if (gp::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat1bppIndexed, nullptr, &bitmap) != gp::Ok)
        return false;
    gp::ScopedImage owner(bitmap);
    return gp::GdipSaveImageToFile(bitmap, toWide(path).c_str(), &clsid, nullptr) == gp::Ok;
}

bool readPicture(const std::string& path, Pixels* out) {
    ensureGdiplus();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromFile(toWide(path).c_str(), &bitmap) != gp::Ok) return false;
    gp::ScopedImage owner(bitmap);
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(bitmap, &w);
    gp::GdipGetImageHeight(bitmap, &h);
    Gdiplus::GpRect rect(0, 0, (INT)w, (INT)h);
    Gdiplus::BitmapData data = {};
    if (gp::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        gp::Ok)
        return false;
    out->width = (int)w;
    out->height = (int)h;
    out->argb.resize((size_t)w * h);
    for (UINT y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                            (ptrdiff_t)y * data.Stride);
        std::copy(row, row + w, out->argb.begin() + (size_t)y * w);
    }
    gp::GdipBitmapUnlockBits(bitmap, &data);
    return true;
}

}  // namespace e2e
