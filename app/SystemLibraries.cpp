#include "app/SystemLibraries.h"

#include <windows.h>

#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

std::wstring systemFolderFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(folder, n) + L"\\" + name;
}

// Every call of the DLL would jump nowhere: the operator is told which DLL,
// and the program ends before it shows anything.
[[noreturn]] void endWithout(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Trackvane", MB_OK);
    ExitProcess(0);
}

}  // namespace

void loadSystemLibraries() {
    // Windows 8 and up, and Windows 7 with its update of 2011, can be told to
    // look for DLLs in the system folder only; without it the full path does.
    auto restrictSearch = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"));
    const bool restricted = restrictSearch && restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");  // and never the current folder

    HMODULE gdiplus = restricted
                          ? LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                          : LoadLibraryW(systemFolderFile(L"gdiplus.dll").c_str());
    if (!gdiplus) endWithout(L"GdiPlus.dll ERROR!");
    // Version 6 of the common controls comes from the side-by-side store the
    // manifest names, which the loader consults before any folder.
    if (!LoadLibraryW(L"comctl32.dll")) endWithout(L"ComCtl32.dll ERROR!");
}
