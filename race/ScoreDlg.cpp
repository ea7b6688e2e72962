#include "race/ScoreDlg.h"

#include "core/Core.h"
#include "core/TextFields.h"
#include "race/RaceState.h"
#include "res/resource.h"

CScoreDlg::CScoreDlg(HWND parent) : CDialog(IDD_SCORE, parent) {}

BOOL CScoreDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const Contestant& c = contestants[contestantIndex];
    SetDlgItemText(IDC_SCORE_NAME, std::string(c.name));
    SetDlgItemText(IDC_SCORE, core->getStrInt(c.score));
    SetDlgItemText(IDC_SCORE_CHANGE, core->getStrInt(scoreStep));
    return TRUE;
}

void CScoreDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_SET_SCORE: onSetScore(); break;
    case IDC_SCORE_PLUS: changeScore(1); break;
    case IDC_SCORE_MINUS: changeScore(0); break;
    }
}

void CScoreDlg::onSetScore() {
    // Text that is no whole number reads as 0, as the platform converts it.
    contestants[contestantIndex].score = (int)GetDlgItemInt(m_hWnd, IDC_SCORE, nullptr, TRUE);
    EndDialog(IDOK);
}

void CScoreDlg::changeScore(int plus) {
    const int32_t n = (int32_t)GetDlgItemInt(m_hWnd, IDC_SCORE_CHANGE, nullptr, TRUE);
    int32_t& score = contestants[contestantIndex].score;
    // A score at the edge of the range stays there instead of flipping sign.
    score = plus ? saturatingAdd(score, n) : saturatingSub(score, n);
    EndDialog(IDOK);
}
