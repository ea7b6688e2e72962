#include "race/ResultEditDlg.h"

#include "core/Core.h"
#include "core/TextFields.h"
#include "output/TimeText.h"
#include "race/RaceState.h"
#include "race/RecordsEdit.h"
#include "res/resource.h"

CResultEditDlg::CResultEditDlg(HWND parent) : CDialog(IDD_EDIT_RESULT, parent) {}

BOOL CResultEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_RESULT_NAME, name);
    const bool noTime = elapsedMs == NO_TIME || elapsedMs < 0;
    SetDlgItemText(IDC_RESULT_TIME, noTime ? std::string() : formatTime((uint32_t)elapsedMs));
    CheckDlgButton(m_hWnd, IDC_RESULT_NO_TIME, noTime ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_RESULT_SCORE, core->getStrInt(score));
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

// Nothing is taken until both read: the dialog stays open on the one that
// does not, and says what it accepts.
void CResultEditDlg::OnOK() {
    int32_t ms = NO_TIME, value = score;
    if (!readTime(&ms) || !readScore(&value)) return;
    elapsedMs = ms;
    score = value;
    CDialog::OnOK();
}

bool CResultEditDlg::readTime(int32_t* ms) {
    if (IsDlgButtonChecked(m_hWnd, IDC_RESULT_NO_TIME) == BST_CHECKED) return true;
    if (parseTypedTime(GetDlgItemText(IDC_RESULT_TIME), ms)) return true;
    core->msgboxWarning(m_hWnd, "无法识别这个成绩。\n\n请写成 01'23.45\"、1'23.45、1:23.45、83.45 或 83（秒），"
                                "不超过 59'59.99\"。\n没有成绩请勾选“无成绩”。");
    SetFocus(GetDlgItem(m_hWnd, IDC_RESULT_TIME));
    return false;
}

bool CResultEditDlg::readScore(int32_t* value) {
    if (!obstacle) return true;
    std::string text = GetDlgItemText(IDC_RESULT_SCORE);
    const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (parseInt32Field(text, value)) return true;
    core->msgboxWarning(m_hWnd, "无法识别这个得分。\n\n请写一个整数，例如 12 或 -3。");
    SetFocus(GetDlgItem(m_hWnd, IDC_RESULT_SCORE));
    return false;
}
