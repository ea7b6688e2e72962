#include "app/OneCopy.h"
#include "app/SystemLibraries.h"
#include "framework/App.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    loadSystemLibraries();
    if (anotherCopyServesThisFolder()) return 0;
    return AfxWinMain();
}
