#include "race/ScoreDlg.h"

#include "core/Core.h"
#include "core/RaceState.h"
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
    case IDC_SET_SCORE: take(ScoreChange::Kind::Set, IDC_SCORE); break;
    case IDC_SCORE_PLUS: take(ScoreChange::Kind::Add, IDC_SCORE_CHANGE); break;
    case IDC_SCORE_MINUS: take(ScoreChange::Kind::Subtract, IDC_SCORE_CHANGE); break;
    }
}

// Text that is no whole number reads as 0, as the platform converts it.
void CScoreDlg::take(ScoreChange::Kind kind, int control) {
    change = ScoreChange{kind, (int32_t)GetDlgItemInt(m_hWnd, control, nullptr, TRUE)};
    EndDialog(IDOK);
}
