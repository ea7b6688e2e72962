// The application object: one per process, started from WinMain.
#pragma once

#include "framework/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the application at once (after ExitInstance): a dialog
    // application runs its main dialog modally inside InitInstance.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The body of WinMain: InitInstance, the message pump if it asked for one,
// ExitInstance.
int AfxWinMain();
