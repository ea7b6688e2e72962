// 奖状: who hands the certificates out, asked before any is made: the
// school's name and the teacher's, remembered in the settings and shown
// filled in the next time. Cancel makes nothing.
#pragma once

#include "framework/Dialog.h"

#include <string>

class CAwardDlg : public CDialog {
public:
    explicit CAwardDlg(HWND parent);

    // After OK: the names as typed, blanks around them dropped.
    std::string school;
    std::string teacher;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
