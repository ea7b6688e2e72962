#include "app/TimerApp.h"

#include "race/ControlDlg.h"

#include <commctrl.h>
#include <gdiplus.h>

CTimerApp theApp;

BOOL CTimerApp::InitInstance() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, own thread
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);

    CControlDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CTimerApp::ExitInstance() {
    if (gdiplusToken) Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
    return CWinApp::ExitInstance();
}
