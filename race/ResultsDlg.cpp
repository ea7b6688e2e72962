#include "race/ResultsDlg.h"

#include "core/Core.h"
#include "core/RaceState.h"
#include "output/Honours.h"
#include "race/Awards.h"
#include "race/ClassFiles.h"
#include "race/ResultEditDlg.h"
#include "records/RecordLines.h"
#include "records/TimeText.h"
#include "race/TermDlg.h"
#include "res/resource.h"

#include <cstdio>

namespace {
const char* const kWeekdays[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};

std::string dateText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year % 10000, t.month % 100, t.day % 100);
    return std::string(text) + "（" + kWeekdays[weekdayOf(t)] + "）";
}

std::string timeText(int32_t ms) { return ms == NO_TIME || ms < 0 ? "无成绩" : resultTimeText(ms); }
}  // namespace

CResultsDlg::CResultsDlg(HWND parent, const DataFolder& folder, const std::string& className)
    : CDialog(IDD_RESULTS, parent), folder_(folder), className_(className) {}

void CResultsDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_RACES, races_);
    DDX_Control(dx, IDC_RACE_ROWS, rows_);
}

BOOL CResultsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (CListCtrl* list : {&races_, &rows_}) list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    races_.InsertColumn(0, "时间", LVCFMT_LEFT, 125);
    races_.InsertColumn(1, "比赛", LVCFMT_LEFT, 55);
    races_.InsertColumn(2, "名次", LVCFMT_LEFT, 300);
    rows_.InsertColumn(0, "序号", LVCFMT_LEFT, 45);
    rows_.InsertColumn(1, "参赛者", LVCFMT_LEFT, 130);
    rows_.InsertColumn(2, "成绩", LVCFMT_LEFT, 100);
    rows_.InsertColumn(3, "得分", LVCFMT_CENTER, 80);
    readRecords();
    showWeek(0);
    return TRUE;
}

void CResultsDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_PREVIOUS_WEEK: --week_; showWeek(0); break;
    case IDC_NEXT_WEEK: week_ = week_ < 0 ? week_ + 1 : 0; showWeek(0); break;
    case IDC_VOID_RACE: voidRace(); break;
    case IDC_TERM: openTerm(); break;
    case IDC_WEEK_AWARDS: giveCertificates(); break;
    }
}

void CResultsDlg::openTerm() {
    CTermDlg dlg(m_hWnd, folder_, className_);
    dlg.DoModal();
}

// 本周冠军 of the week shown, in the current mode: its boy and its girl
// apart where 性别 is known.
void CResultsDlg::giveCertificates() {
    const std::vector<ClassChild> children = readClassChildren(folder_);
    const bool obstacle = isZhangai != 0;
    const std::vector<Honoured> champions = weekChampions(
        records_->bytes(), weekStart(), obstacle, fileTextToAnsi,
        [&children](const std::string& name) { return sexIn(children, name); });
    makeCertificates(m_hWnd, folder_, className_, HonourKind::WeekChampion, champions,
                     std::string("这一周没有") + modeText(obstacle) + "的成绩，没有可以颁发的“本周冠军”。");
}

LRESULT CResultsDlg::OnNotify(NMHDR* header) {
    if (header->idFrom == IDC_RACES && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) showRace(change->iItem);
    } else if (header->idFrom == IDC_RACE_ROWS && header->code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
        if (row >= 0) editRow(row);
    }
    return 0;
}

// An unreadable file shows as empty; the operator is told why.
bool CResultsDlg::readRecords() {
    std::string bytes;
    const bool read = folder_.readRecords(&bytes, m_hWnd);
    records_ = std::make_unique<RecordsDocument>(read ? std::move(bytes) : std::string());
    return read;
}

LocalTime CResultsDlg::weekStart() const {
    const int64_t start = toSerialSeconds(weekWindowStart(core->getTimeNow()));
    return fromSerialSeconds(start + SECONDS_PER_WEEK * week_);
}

std::string CResultsDlg::shown(std::string_view fileText) const {
    return fileTextToAnsi(fileText, records_->encoding());
}

std::string CResultsDlg::namesByPlace(const RecordsRace& race) const {
    std::string names;
    for (size_t row : rowsByPlace(race)) names += (names.empty() ? "" : "、") + shown(race.rows[row].name);
    return names;
}

void CResultsDlg::showWeek(int selectRace) {
    const LocalTime start = weekStart();
    SetDlgItemText(IDC_WEEK_DATES, dateText(start) + " 至 " + dateText(fromSerialSeconds(toSerialSeconds(start) + 6 * SECONDS_PER_DAY)) +
                                       (week_ == 0 ? "，本周" : ""));
    EnableWindow(GetDlgItem(m_hWnd, IDC_NEXT_WEEK), week_ < 0);
    weekRaces_ = racesOfWeek(*records_, start);
    race_ = -1;
    races_.DeleteAllItems();
    rows_.DeleteAllItems();
    for (size_t i = 0; i < weekRaces_.size(); ++i) {
        const RecordsRace& race = *weekRaces_[i];
        races_.InsertItem((int)i, race.stamp);
        races_.SetItemText((int)i, 1, modeText(race.obstacle));
        races_.SetItemText((int)i, 2, namesByPlace(race));
    }
    EnableWindow(GetDlgItem(m_hWnd, IDC_VOID_RACE), !weekRaces_.empty());
    if (weekRaces_.empty()) return;
    const int select = selectRace < (int)weekRaces_.size() ? selectRace : (int)weekRaces_.size() - 1;
    races_.SelectItem(select);
    showRace(select);
}

void CResultsDlg::showRace(int index) {
    if (index < 0 || index >= (int)weekRaces_.size() || index == race_) return;
    race_ = index;
    rows_.DeleteAllItems();
    const RecordsRace& race = *weekRaces_[index];
    for (size_t i = 0; i < race.rows.size(); ++i) {
        const RecordsRow& row = race.rows[i];
        rows_.InsertItem((int)i, core->getStrInt((int)i + 1));
        rows_.SetItemText((int)i, 1, shown(row.name));
        rows_.SetItemText((int)i, 2, timeText(row.elapsedMs));
        rows_.SetItemText((int)i, 3, core->getStrInt(row.score));
    }
}

void CResultsDlg::editRow(int row) {
    if (race_ < 0 || row >= (int)weekRaces_[race_]->rows.size()) return;
    const RecordsRace& race = *weekRaces_[race_];
    const RecordsRow& before = race.rows[row];
    CResultEditDlg dlg(m_hWnd);
    dlg.name = shown(before.name);
    dlg.elapsedMs = before.elapsedMs;
    dlg.score = before.score;
    dlg.obstacle = race.obstacle;
    if (dlg.DoModal() != IDOK) return;
    if (dlg.elapsedMs == before.elapsedMs && dlg.score == before.score) return;
    RecordsChange change = changeOf(race);
    change.row = (size_t)row;
    change.elapsedMs = dlg.elapsedMs;
    change.score = dlg.score;
    const int shownRace = race_;
    if (!write(records_->withRow(race, (size_t)row, dlg.elapsedMs, dlg.score))) return;
    if (onChanged) onChanged(change);
    showWeek(shownRace);
}

void CResultsDlg::voidRace() {
    if (race_ < 0) return;
    const RecordsRace& race = *weekRaces_[race_];
    const std::string question = "删除这场比赛吗？\n\n" + race.stamp + "（" + modeText(race.obstacle) +
                                 "）：" + namesByPlace(race) +
                                 "\n\n删除后周冠军榜不再计入这场比赛。删除前的记录文件会先备份到：\n" +
                                 folder_.path() + "backup";
    if (core->msgboxQuestion(m_hWnd, question, MB_YESNO | MB_DEFBUTTON2) != IDYES) return;
    RecordsChange change = changeOf(race);
    change.voided = true;
    const int shownRace = race_;
    if (!write(records_->withoutRace(race))) return;
    if (onChanged) onChanged(change);
    showWeek(shownRace);
}

RecordsChange CResultsDlg::changeOf(const RecordsRace& race) const {
    RecordsChange change;
    change.raceTime = race.time;
    change.raceRows = race.rows.size();
    change.lastRace = &race == &records_->races().back();
    return change;
}

// The file must still be what the dialog shows: a change made meanwhile
// (by hand, by a spreadsheet) is read in and nothing is written over it.
bool CResultsDlg::write(const std::string& after) {
    switch (folder_.rewriteRecords(records_->bytes(), after, m_hWnd)) {
    case DataFolder::Rewrite::Done: records_ = std::make_unique<RecordsDocument>(after); return true;
    case DataFolder::Rewrite::ChangedMeanwhile:
        readRecords();
        showWeek(0);
        return false;
    case DataFolder::Rewrite::Failed: return false;
    }
    return false;
}
