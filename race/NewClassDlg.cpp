#include "race/NewClassDlg.h"

#include "race/ClassChooser.h"
#include "res/resource.h"

CNewClassDlg::CNewClassDlg(HWND parent, std::vector<std::string> taken)
    : CDialog(IDD_NEW_CLASS, parent), taken_(std::move(taken)) {}

BOOL CNewClassDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFocus(GetDlgItem(m_hWnd, IDC_NEW_CLASS_NAME));
    return FALSE;
}

// The dialog stays open on a refused name, so that it can be mended.
void CNewClassDlg::OnOK() {
    if (typedClassName(*this, IDC_NEW_CLASS_NAME, taken_, std::string(), &name)) CDialog::OnOK();
}
