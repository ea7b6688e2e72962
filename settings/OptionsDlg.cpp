#include "settings/OptionsDlg.h"

#include "res/resource.h"

COptionsDlg::COptionsDlg(HWND parent) : CDialog(IDD_OPTIONS, parent) {}
