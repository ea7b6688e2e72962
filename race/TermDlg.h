// 学期成绩: each child's progress over a range of days, the term by default,
// in races of the current mode, of the whole class or its boys or girls: a
// table, the chart of the selected child, an export of both for a
// spreadsheet and for the wall, and certificates for the most progress.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "output/FrameBuffer.h"
#include "output/TermBoard.h"
#include "race/ClassList.h"

#include <string>
#include <vector>

class CTermDlg : public CDialog {
public:
    CTermDlg(HWND parent, const DataFolder& folder, const std::string& className);

protected:
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT code) override;
    LRESULT OnNotify(NMHDR* header) override;
    BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    bool readRange(LocalTime* from, LocalTime* to);
    bool showRange();
    void fillList();
    void drawChart(const DRAWITEMSTRUCT& item);
    void exportBoard();
    void giveCertificates();
    // 全部, 男 or 女: the children the table holds.
    std::string sexShown();

    const DataFolder& folder_;
    std::string className_;
    std::vector<ClassChild> children_;  // of the class list, for their 性别
    CListCtrl list_;
    TermBoard board_;
    std::size_t selected_ = 0;
    FrameBuffer chart_;
    gp::ScopedFamily family_;
};
