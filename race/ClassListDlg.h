// 名单: the whole class, one row a child, and which of them run in the next
// heat. The operator names the class, adds children one by one or pastes a
// class from a spreadsheet, renames, removes and orders them, gives them
// photos and picks the heat. OK does all of it or nothing: the class file
// and the roster (each only when changed, in the encoding it was read in),
// the photos moved and chosen, and the class's folder renamed. Cancel writes
// nothing, and asks first when something was changed.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "race/ClassChooser.h"
#include "race/ClassList.h"

#include <commctrl.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

class CClassListDlg : public CDialog {
public:
    CClassListDlg(HWND parent, const DataFolder& folder, const CClassChooser& classes);

    BOOL PreTranslateMessage(MSG* msg) override;

    // After OK: the class's new name, when the operator renamed it.
    std::string renamedTo;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCommand(UINT id, UINT code) override;
    LRESULT OnNotify(NMHDR* header) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void tellFileIssues();
    void show(int select);
    std::string cellText(int row, int column) const;
    void giveCell(NMLVDISPINFOW* info) const;
    void showCount();
    int selected();
    bool typedName(std::string* name);
    bool accepted(NameProblem problem, const std::string& name);
    bool hasResults(const std::string& name);
    void onAdd();
    void onRename();
    void onRemove();
    void onMove(int by);
    void onToggleHeat(int row);
    void onNextHeat();
    void onPhoto();
    void onPaste();
    void onRowClicked(int row);
    void onSexChosen();
    bool hasPhoto(const ClassChild& child) const;
    bool changed();
    bool saveAll(const std::string& className);

    const DataFolder& folder_;
    const CClassChooser& classes_;
    CListCtrl list_;
    TextFile classFile_, rosterFile_;
    std::unique_ptr<ClassList> class_;
    std::set<std::string> photos_;  // the photo files of the folder, lower case
};
