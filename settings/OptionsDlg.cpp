#include "settings/OptionsDlg.h"

#include "core/Core.h"
#include "core/RaceState.h"
#include "core/TextFields.h"
#include "res/resource.h"
#include "settings/SettingsRules.h"

COptionsDlg::COptionsDlg(HWND parent) : CDialog(IDD_OPTIONS, parent) {}

void COptionsDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_TEXT_COLOUR, textColourPicker);
    DDX_Control(dx, IDC_DIGIT_COLOUR, digitColourPicker);
}

BOOL COptionsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The size in memory, which may be the second display's rather than the
    // stored one.
    SetDlgItemText(IDC_OUTPUT_WIDTH, core->getStrInt(width));
    SetDlgItemText(IDC_OUTPUT_HEIGHT, core->getStrInt(height));
    SendDlgItemMessageW(m_hWnd, IDC_RACE_TITLE, EM_LIMITTEXT, 255, 0);  // a screenful
    SetDlgItemText(IDC_RACE_TITLE, raceTitle);
    CheckDlgButton(m_hWnd, IDC_OBSTACLE, isZhangai ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_INIT_SCORE, core->getStrInt(scoreInit));
    SetDlgItemText(IDC_SCORE_STEP, core->getStrInt(scoreStep));
    textColourPicker.SetColour(core->getClrRef(clrStr));
    digitColourPicker.SetColour(core->getClrRef(clrDigi));
    onObstacleClicked();
    return TRUE;  // focus to the first control: OK
}

void COptionsDlg::OnCommand(UINT id, UINT code) {
    switch (id) {
    case IDC_OBSTACLE:
        if (code == BN_CLICKED) onObstacleClicked();
        break;
    }
}

// The score fields matter only in an obstacle race; the setting itself
// changes only with OK.
void COptionsDlg::onObstacleClicked() {
    const BOOL obstacle = IsDlgButtonChecked(m_hWnd, IDC_OBSTACLE) == BST_CHECKED;
    EnableWindow(GetDlgItem(m_hWnd, IDC_INIT_SCORE), obstacle);
    EnableWindow(GetDlgItem(m_hWnd, IDC_SCORE_STEP), obstacle);
}

void COptionsDlg::OnOK() {
    const Entries e = readEntries();
    if (!entriesInRange(e)) return;
    takeOver(e);
    if (!saveSettings()) {
        core->msgboxWarning(m_hWnd, "设置已在本次运行中生效，但未能保存到配置文件：\n" +
                                        core->configPath());
    }
    CDialog::OnOK();
}

// Number fields read signed, as typed text that is no number reads 0; a
// disabled field is read all the same.
COptionsDlg::Entries COptionsDlg::readEntries() const {
    auto number = [this](int id) { return (int)GetDlgItemInt(m_hWnd, id, nullptr, TRUE); };
    Entries e;
    e.raceTitle = GetDlgItemText(IDC_RACE_TITLE);
    e.width = number(IDC_OUTPUT_WIDTH);
    e.height = number(IDC_OUTPUT_HEIGHT);
    e.scoreInit = number(IDC_INIT_SCORE);
    e.scoreStep = number(IDC_SCORE_STEP);
    e.isZhangai = IsDlgButtonChecked(m_hWnd, IDC_OBSTACLE) == BST_CHECKED ? 1 : 0;
    e.clrStr = core->getColorFromClrRef(textColourPicker.GetColour());
    e.clrDigi = core->getColorFromClrRef(digitColourPicker.GetColour());
    return e;
}

// The width is checked first; the height only once the width is right.
bool COptionsDlg::entriesInRange(const Entries& e) {
    switch (checkOutputSize(e.width, e.height)) {
    case SizeCheck::BadWidth:
        refuse(IDC_OUTPUT_WIDTH, "输出显示宽度必须是100到8000之间的整数");
        return false;
    case SizeCheck::BadHeight:
        refuse(IDC_OUTPUT_HEIGHT, "输出显示高度必须是100到3000之间的整数");
        return false;
    case SizeCheck::Ok:
        break;
    }
    return true;
}

void COptionsDlg::refuse(int field, const char* text) {
    core->msgboxWarning(m_hWnd, text);
    ::SetFocus(GetDlgItem(m_hWnd, field));
}

namespace {
const size_t kLongestShownText = 255;
}  // namespace

void COptionsDlg::readSettings() {
    scoreInit = core->getConfigInt("scoreInit");
    scoreStep = core->getConfigInt("scoreStep");
    // A screenful is all that can show; thousands of characters would only
    // stall every frame while their outlines are built.
    raceTitle = cutAtCharBoundary(core->getConfigStr("raceTitle"), kLongestShownText);
    tips = cutAtCharBoundary(core->getConfigStr("tips"), kLongestShownText);
    clrStr = core->getConfigClr("clrStr");
    clrDigi = core->getConfigClr("clrDigi");
    isZhangai = core->getConfigB("isZhangai") ? 1 : 0;
}

void COptionsDlg::takeOver(const Entries& e) {
    raceTitle = e.raceTitle;
    width = e.width;
    height = e.height;
    scoreInit = e.scoreInit;
    scoreStep = e.scoreStep;
    isZhangai = e.isZhangai;
    clrStr = e.clrStr;
    clrDigi = e.clrDigi;
}

// Every value is tried even after one fails, so that as much as possible
// reaches the file; false when any could not be stored.
bool COptionsDlg::saveSettings() {
    bool stored = core->saveConfigInt("scoreInit", scoreInit);
    stored &= core->saveConfigInt("scoreStep", scoreStep);
    stored &= core->saveConfigInt("width", width);
    stored &= core->saveConfigInt("height", height);
    stored &= core->saveConfigB("isZhangai", isZhangai);
    stored &= core->saveConfigStr("raceTitle", raceTitle);
    stored &= core->saveConfigClr("clrStr", clrStr);
    stored &= core->saveConfigClr("clrDigi", clrDigi);
    return stored;
}
