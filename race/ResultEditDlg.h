// One contestant's result in a race already written, corrected by hand: the
// time as the operator types it, or no time at all, and in an obstacle race
// the score.
#pragma once

#include "framework/Dialog.h"

#include <cstdint>
#include <string>

class CResultEditDlg : public CDialog {
public:
    explicit CResultEditDlg(HWND parent = nullptr);

    // In: the row as the file holds it. Out, after OK: the corrected values.
    std::string name;
    int32_t elapsedMs = 0;
    int32_t score = 0;
    bool obstacle = false;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code) override;
    void OnOK() override;

private:
    void showTimeEditable();
    bool readTime(int32_t* ms);
    bool readScore(int32_t* value);
};
