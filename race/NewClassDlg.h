// 新建班级: the name of a class to make, refused with its reason until it is
// one a folder can take and no other class has.
#pragma once

#include "framework/Dialog.h"

#include <string>
#include <vector>

class CNewClassDlg : public CDialog {
public:
    CNewClassDlg(HWND parent, std::vector<std::string> taken);

    // After OK: the name, blanks around it dropped.
    std::string name;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::vector<std::string> taken_;
};
