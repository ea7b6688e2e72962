#include "app/SystemLibraries.h"
#include "framework/App.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    loadSystemLibraries();
    return AfxWinMain();
}
