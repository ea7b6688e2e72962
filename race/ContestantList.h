// The control dialog's list of contestants: number, name, the clock, and in
// an obstacle race the score. It shows the race table; the dialog says when.
#pragma once

#include "framework/Wnd.h"
#include "core/RaceState.h"

#include <cstdint>
#include <string>
#include <vector>

class CContestantList : public CListCtrl {
public:
    // The columns, once, when the dialog starts.
    void addColumns(bool obstacle);
    // Emptied, with a score column in an obstacle race only.
    void setObstacle(bool obstacle);
    // The roster just loaded: each line as it is (the record keeps what
    // fits), clocks at zero, scores at scoreInit.
    void showRoster(const std::vector<std::string>& names, int scoreInit);
    // The table as it stands.
    void showTable(const Contestant* table, int count, uint32_t nowTick);
    void showTimes(const Contestant* table, int count, uint32_t nowTick);

private:
    bool obstacle_ = false;
};
