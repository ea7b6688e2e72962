// 学期成绩: each child's progress over a range of days, the term by default,
// in races of the current mode: a table, the chart of the selected child, and
// an export of both for a spreadsheet and for the wall.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "output/FrameBuffer.h"
#include "output/TermBoard.h"

class CTermDlg : public CDialog {
public:
    CTermDlg(HWND parent, const DataFolder& folder);

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

    const DataFolder& folder_;
    CListCtrl list_;
    TermBoard board_;
    std::size_t selected_ = 0;
    FrameBuffer chart_;
    gp::ScopedFamily family_;
};
