#include "race/ContestantList.h"

#include "core/TextFields.h"
#include "records/TimeText.h"

void CContestantList::addColumns(bool obstacle) {
    SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    InsertColumn(0, "序号", LVCFMT_LEFT, 50);
    InsertColumn(1, "参赛者", LVCFMT_LEFT, 100);
    InsertColumn(2, "计时", LVCFMT_LEFT, 80);
    setObstacle(obstacle);
}

void CContestantList::setObstacle(bool obstacle) {
    obstacle_ = obstacle;
    DeleteAllItems();
    while (GetColumnCount() > 3) DeleteColumn(3);
    if (obstacle) InsertColumn(3, "得分", LVCFMT_CENTER, 80);
}

void CContestantList::showRoster(const std::vector<std::string>& names, int scoreInit) {
    DeleteAllItems();
    for (int row = 0; row < (int)names.size(); ++row) {
        InsertItem(row, getStrInt(row + 1));
        SetItemText(row, 1, names[row]);
        SetItemText(row, 2, formatTime(0));
        if (obstacle_) SetItemText(row, 3, getStrInt(scoreInit));
    }
}

void CContestantList::showTable(const Contestant* table, int count, uint32_t nowTick) {
    DeleteAllItems();
    for (int row = 0; row < count; ++row) {
        InsertItem(row, getStrInt(row + 1));
        SetItemText(row, 1, std::string(fixedText(table[row].name)));
        if (obstacle_) SetItemText(row, 3, getStrInt(table[row].score));
    }
    showTimes(table, count, nowTick);
}

void CContestantList::showTimes(const Contestant* table, int count, uint32_t nowTick) {
    for (int row = 0; row < count; ++row) SetItemText(row, 2, clockText(table[row], nowTick));
}
