// The options dialog: output size, race title, colours, race mode, scores.
#pragma once

#include "framework/Dialog.h"

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(HWND parent = nullptr);
};
