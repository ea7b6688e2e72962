// 成绩管理: the races of the records file one week at a time, each race's
// rows, and the two corrections an operator needs after the fact: one
// contestant's result, or the whole race voided. Every change is written at
// once, with the file as it was kept in data\backup\ first.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "records/RecordsDocument.h"
#include "records/RecordsEdit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CResultsDlg : public CDialog {
public:
    CResultsDlg(HWND parent, const DataFolder& folder, const std::string& className);

    // After each change that reached the file.
    std::function<void(const RecordsChange& change)> onChanged;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code) override;
    LRESULT OnNotify(NMHDR* header) override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    bool readRecords();
    void showWeek(int selectRace);
    void showRace(int index);
    void editRow(int row);
    void voidRace();
    void openTerm();
    void giveCertificates();
    bool write(const std::string& after);
    RecordsChange changeOf(const RecordsRace& race) const;
    std::string shown(std::string_view fileText) const;
    LocalTime weekStart() const;
    std::string namesByPlace(const RecordsRace& race) const;

    const DataFolder& folder_;
    std::string className_;
    CListCtrl races_;
    CListCtrl rows_;
    std::unique_ptr<RecordsDocument> records_;
    std::vector<const RecordsRace*> weekRaces_;
    int week_ = 0;   // 0: the week under way; -1 the week before, and so on
    int race_ = -1;  // the race shown in the rows list, in weekRaces_
};
