// The options dialog: output size, race title, colours, race mode, scores.
// It fills its fields from the settings in memory and writes them, to memory
// and to the configuration, only when OK passes its checks.
#pragma once

#include "framework/Dialog.h"
#include "settings/ColourButton.h"

#include <cstdint>
#include <string>

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(HWND parent = nullptr);

    // The settings from the configuration, once at start-up.
    static void readSettings();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCommand(UINT id, UINT code) override;

private:
    struct Entries {
        std::string raceTitle;
        int width, height, scoreInit, scoreStep, isZhangai;
        uint32_t clrStr, clrDigi;
    };

    void onObstacleClicked();
    Entries readEntries() const;
    bool entriesInRange(const Entries& e);
    void refuse(int field, const char* text);
    static void takeOver(const Entries& e);
    static bool saveSettings();

    CColourButton textColourPicker;
    CColourButton digitColourPicker;
};
