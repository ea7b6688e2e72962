// One contestant's result in a race already written, corrected by hand: the
// time as the operator types it, or no time at all, and in an obstacle race
// the score. What the operator leaves as it was shown keeps its stored value.
#pragma once

#include "framework/Dialog.h"
#include "records/RecordsEdit.h"

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
    ResultFields typed();
    void refuse(int control, const char* text);

    ResultFields shown_;
};
