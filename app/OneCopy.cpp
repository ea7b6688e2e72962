#include "app/OneCopy.h"

#include "framework/Handles.h"

#include <windows.h>

#include <string>

namespace {

// Ends with the process, a crash included, so a dead copy never blocks.
HANDLE folderClaim = nullptr;

struct Claim {
    DWORD processId;
};

std::wstring exeFolder() {
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring folder(path, n < 32768 ? n : 0);
    const size_t cut = folder.find_last_of(L"\\/");
    return cut == std::wstring::npos ? folder : folder.substr(0, cut + 1);
}

std::wstring hex(unsigned long long value, int digits) {
    std::wstring text(digits, L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[i] = L"0123456789ABCDEF"[value & 15];
    return text;
}

// The folder's identity on its volume, so that another path to the same
// folder (a mapped drive, a short name) names the same claim; its full path,
// upper-cased, where the folder cannot be opened.
std::wstring claimName(const std::wstring& folder) {
    const std::wstring prefix = L"Local\\Trackvane-";
    ScopedFile dir(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (dir && GetFileInformationByHandle(dir.get(), &info))
        return prefix + hex(info.dwVolumeSerialNumber, 8) + L"-" +
               hex((unsigned long long)info.nFileIndexHigh << 32 | info.nFileIndexLow, 16);
    std::wstring upper = folder;
    CharUpperBuffW(&upper[0], (DWORD)upper.size());
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : upper) hash = (hash ^ (unsigned)c) * 1099511628211ull;
    return prefix + hex(hash, 16);
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

// The control dialog is the copy's one visible dialog that has no owner: its
// boxes, options and audience window all belong to it.
BOOL CALLBACK takeControlDialog(HWND w, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (pid != search->processId || GetWindow(w, GW_OWNER) || !IsWindowVisible(w) ||
        std::wstring(cls) != L"#32770")
        return TRUE;
    search->found = w;
    return FALSE;
}

void bringForward(DWORD processId) {
    DialogSearch search = {processId, nullptr};
    // The other copy may itself be starting: its dialog comes within moments.
    for (int tries = 0; tries < 100 && !search.found; ++tries) {
        EnumWindows(&takeControlDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) return;
    if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(search.found));
}

}  // namespace

bool anotherCopyServesThisFolder() {
    const std::wstring name = claimName(exeFolder());
    HANDLE claim = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Claim),
                                      name.c_str());
    if (!claim) return false;  // nothing to go by: better two copies than none
    const bool taken = GetLastError() == ERROR_ALREADY_EXISTS;
    auto* shared = static_cast<Claim*>(MapViewOfFile(claim, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Claim)));
    if (!taken) {
        if (shared) shared->processId = GetCurrentProcessId();
        folderClaim = claim;
        if (shared) UnmapViewOfFile(shared);
        return false;
    }
    // The other copy names itself a moment after it made the claim.
    DWORD owner = 0;
    for (int tries = 0; shared && tries < 20 && !(owner = shared->processId); ++tries) Sleep(50);
    if (shared) UnmapViewOfFile(shared);
    CloseHandle(claim);
    if (owner) bringForward(owner);
    return true;
}
