// Runs the windowed tests with GDI+ and the common controls started, as the
// application has them.
#include "framework/App.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

// As in the program, modal dialogs without a parent are owned by the main
// window that the tests set here.
CWinApp testApplication;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    int rc = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return rc;
}
