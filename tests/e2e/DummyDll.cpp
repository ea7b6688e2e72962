// Stands in for a DLL that happens to lie beside the exe under a system DLL's
// name: it refuses to be loaded, so a program that took it would not start.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason != DLL_PROCESS_ATTACH; }
