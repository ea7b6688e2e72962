// 名单: the whole class, one row a child, and which of them run in the next
// heat. The operator adds, renames, removes and orders the children, gives
// them photos and picks the heat; OK writes data\_class.txt and
// data\psn.txt, each in the encoding it was read in, and the photos chosen;
// Cancel writes nothing.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "race/ClassList.h"

#include <memory>
#include <string>
#include <vector>

class CClassListDlg : public CDialog {
public:
    CClassListDlg(HWND parent, const DataFolder& folder);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCommand(UINT id, UINT code) override;
    LRESULT OnNotify(NMHDR* header) override;
    void OnOK() override;

private:
    void warnLossy(const TextFile& file);
    void show(int select);
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
    void onRowClicked(int row);
    bool writeFiles();
    void movePhotos();
    void saveNewPhotos();
    bool keepPhotoAside(const std::string& name, std::string* aside, DWORD* error);
    void warnUnwritten(const std::string& what, const std::string& path, DWORD error);

    const DataFolder& folder_;
    CListCtrl list_;
    TextFile classFile_, rosterFile_;
    std::unique_ptr<ClassList> class_;
};

// A picture of any kind GDI+ reads, as a photo: turned upright as the camera
// says, on white where it was transparent, at most kPhotoHeight pixels
// high, as JPEG bytes. False, and why in *reason, when it cannot be read.
constexpr unsigned kPhotoHeight = 600;
bool photoAsJpeg(const std::wstring& source, std::string* jpeg, std::string* reason);
