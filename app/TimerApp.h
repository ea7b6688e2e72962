// The application object: starts GDI+, runs the control dialog as the main
// window, and shuts GDI+ down when it has closed.
#pragma once

#include "framework/App.h"

class CTimerApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    ULONG_PTR gdiplusToken = 0;
};

extern CTimerApp theApp;
