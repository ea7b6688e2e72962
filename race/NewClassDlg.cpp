#include "race/NewClassDlg.h"

#include "core/Core.h"
#include "core/DataFolder.h"
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
    std::vector<int> lossy;
    const std::string typed = trimmedClassName(GetDlgItemText(IDC_NEW_CLASS_NAME, &lossy));
    const ClassNameProblem problem = checkClassName(typed, taken_);
    if (!lossy.empty() || problem != ClassNameProblem::None) {
        core->msgboxWarning(m_hWnd, lossy.empty() ? classNameRefusal(problem, typed)
                                                  : std::string("班名里有") + kLacksCharacter + "。请换一种写法。");
        SetFocus(GetDlgItem(m_hWnd, IDC_NEW_CLASS_NAME));
        return;
    }
    name = typed;
    CDialog::OnOK();
}
