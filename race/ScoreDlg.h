// Direct scoring during an obstacle race: set a contestant's score, or add
// or take away an amount (the score step unless the operator types another).
#pragma once

#include "framework/Dialog.h"

class CScoreDlg : public CDialog {
public:
    explicit CScoreDlg(HWND parent = nullptr);

    int contestantIndex = 0;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code) override;

private:
    void onSetScore();
    void changeScore(int plus);
};
