// Direct scoring during an obstacle race: set a contestant's score, or add
// or take away an amount (the score step unless the operator types another).
// The dialog only asks; the race session makes the change.
#pragma once

#include "framework/Dialog.h"
#include "race/RaceSession.h"

class CScoreDlg : public CDialog {
public:
    explicit CScoreDlg(HWND parent = nullptr);

    int contestantIndex = 0;
    // What the operator asked for, on IDOK.
    ScoreChange change{ScoreChange::Kind::Set, 0};

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code) override;

private:
    void take(ScoreChange::Kind kind, int control);
};
