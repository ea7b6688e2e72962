#include "race/AwardDlg.h"

#include "core/Core.h"
#include "race/ClassList.h"
#include "res/resource.h"

CAwardDlg::CAwardDlg(HWND parent) : CDialog(IDD_AWARDS, parent) {}

BOOL CAwardDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_AWARD_SCHOOL, core->getConfigStr("school"));
    SetDlgItemText(IDC_AWARD_TEACHER, core->getConfigStr("teacher"));
    return TRUE;
}

// The certificates are made all the same when the settings cannot keep the
// names: they would only have to be typed again next time.
void CAwardDlg::OnOK() {
    school = trimmedName(GetDlgItemText(IDC_AWARD_SCHOOL));
    teacher = trimmedName(GetDlgItemText(IDC_AWARD_TEACHER));
    if (!core->saveConfigStr("school", school) || !core->saveConfigStr("teacher", teacher))
        core->msgboxWarning(m_hWnd, "无法把学校和老师的名字写入设置文件：\n" + core->configPath() +
                                        "\n\n奖状照常生成，下次要重新填写。");
    CDialog::OnOK();
}
