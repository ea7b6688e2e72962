#include "race/ResultEditDlg.h"

#include "core/Core.h"
#include "res/resource.h"

CResultEditDlg::CResultEditDlg(HWND parent) : CDialog(IDD_EDIT_RESULT, parent) {}

BOOL CResultEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    shown_ = shownResult(elapsedMs, score);
    SetDlgItemText(IDC_RESULT_NAME, name);
    SetDlgItemText(IDC_RESULT_TIME, shown_.time);
    CheckDlgButton(m_hWnd, IDC_RESULT_NO_TIME, shown_.noTime ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_RESULT_SCORE, shown_.score);
    // A timed race's score is the initial score of its day: nothing to correct.
    EnableWindow(GetDlgItem(m_hWnd, IDC_RESULT_SCORE), obstacle);
    showTimeEditable();
    return TRUE;
}

void CResultEditDlg::OnCommand(UINT id, UINT code) {
    if (id == IDC_RESULT_NO_TIME && code == BN_CLICKED) showTimeEditable();
}

void CResultEditDlg::showTimeEditable() {
    EnableWindow(GetDlgItem(m_hWnd, IDC_RESULT_TIME),
                 IsDlgButtonChecked(m_hWnd, IDC_RESULT_NO_TIME) != BST_CHECKED);
}

ResultFields CResultEditDlg::typed() {
    return ResultFields{GetDlgItemText(IDC_RESULT_TIME),
                        IsDlgButtonChecked(m_hWnd, IDC_RESULT_NO_TIME) == BST_CHECKED,
                        GetDlgItemText(IDC_RESULT_SCORE)};
}

// Nothing is taken until both read: the dialog stays open on the one that
// does not, and says what it accepts.
void CResultEditDlg::OnOK() {
    switch (readEditedResult(shown_, typed(), obstacle, &elapsedMs, &score)) {
    case ResultEdit::Taken: CDialog::OnOK(); return;
    case ResultEdit::BadTime:
        refuse(IDC_RESULT_TIME, "无法识别这个成绩。\n\n请写成 01'23.45\"、1'23.45、1:23.45、83.45 或 83（秒），"
                                "超过一小时写成 1:02:03.45，不超过 2:27:59.99。\n没有成绩请勾选“无成绩”。");
        return;
    case ResultEdit::BadScore: refuse(IDC_RESULT_SCORE, "无法识别这个得分。\n\n请写一个整数，例如 12 或 -3。"); return;
    }
}

void CResultEditDlg::refuse(int control, const char* text) {
    core->msgboxWarning(m_hWnd, text);
    SetFocus(GetDlgItem(m_hWnd, control));
}
