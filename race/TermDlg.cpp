#include "race/TermDlg.h"

#include "core/Core.h"
#include "output/ScoreboardExport.h"
#include "core/RaceState.h"
#include "output/GdiTextMeasure.h"
#include "output/Honours.h"
#include "output/TermChart.h"
#include "race/Awards.h"
#include "race/ClassFiles.h"
#include "records/RecordLines.h"
#include "res/resource.h"

namespace {
const char kDateForm[] = "\n\n请写成 2026-09-01 这样的日期。";
// The children the table holds: all, the boys, the girls.
const char* const kShown[] = {"全部", "男", "女"};
}  // namespace

CTermDlg::CTermDlg(HWND parent, const DataFolder& folder, const std::string& className)
    : CDialog(IDD_TERM, parent), folder_(folder), className_(className) {}

void CTermDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_TERM_LIST, list_); }

BOOL CTermDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    family_.reset(createTextFamily());
    children_ = readClassChildren(folder_);
    for (const char* shown : kShown) SendDlgItemMessageW(m_hWnd, IDC_TERM_SEX, CB_ADDSTRING, 0, (LPARAM)toWide(shown).c_str());
    SendDlgItemMessageW(m_hWnd, IDC_TERM_SEX, CB_SETCURSEL, 0, 0);
    const LocalTime today = core->getTimeNow();
    SetDlgItemText(IDC_TERM_FROM, formatDate(termStart(today)));
    SetDlgItemText(IDC_TERM_TO, formatDate(today));
    showRange();
    return TRUE;
}

void CTermDlg::OnCommand(UINT id, UINT code) {
    if (id == IDC_TERM_SEX && code == CBN_SELCHANGE) showRange();
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_TERM_SHOW: showRange(); break;
    case IDC_TERM_EXPORT: exportBoard(); break;
    case IDC_TERM_AWARDS: giveCertificates(); break;
    }
}

std::string CTermDlg::sexShown() {
    const LRESULT item = SendDlgItemMessageW(m_hWnd, IDC_TERM_SEX, CB_GETCURSEL, 0, 0);
    return item > 0 && item < 3 ? kShown[item] : kShown[0];
}

LRESULT CTermDlg::OnNotify(NMHDR* header) {
    if (header->idFrom != IDC_TERM_LIST || header->code != LVN_ITEMCHANGED) return 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED) && change->iItem >= 0) {
        selected_ = (std::size_t)change->iItem;
        InvalidateRect(GetDlgItem(m_hWnd, IDC_TERM_CHART), nullptr, FALSE);
    }
    return 0;
}

BOOL CTermDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg != WM_DRAWITEM || wp != IDC_TERM_CHART) return FALSE;
    drawChart(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    *result = TRUE;
    return TRUE;
}

// Both dates as typed; a date that is none, or a start after the end, is told
// and the table stays as it was.
bool CTermDlg::readRange(LocalTime* from, LocalTime* to) {
    const std::string fromText = GetDlgItemText(IDC_TERM_FROM), toText = GetDlgItemText(IDC_TERM_TO);
    if (!parseDate(fromText, from)) {
        core->msgboxWarning(m_hWnd, "“从”不是日期：" + fromText + kDateForm);
        return false;
    }
    if (!parseDate(toText, to)) {
        core->msgboxWarning(m_hWnd, "“到”不是日期：" + toText + kDateForm);
        return false;
    }
    const int64_t days = (toSerialSeconds(*to) - toSerialSeconds(*from)) / SECONDS_PER_DAY + 1;
    if (days < 1) {
        core->msgboxWarning(m_hWnd, "开始日期 " + formatDate(*from) + " 晚于结束日期 " + formatDate(*to) + "。");
        return false;
    }
    if (days > TERM_MOST_DAYS) {
        core->msgboxWarning(m_hWnd, "从 " + formatDate(*from) + " 到 " + formatDate(*to) + " 超过一年，请选短一些的时间。");
        return false;
    }
    return true;
}

// The file is read afresh, so that a change made by hand shows.
bool CTermDlg::showRange() {
    LocalTime from{}, to{};
    if (!readRange(&from, &to)) return false;
    std::string bytes;
    if (!folder_.readRecords(&bytes, m_hWnd)) return false;
    board_ = computeTermBoard(bytes, from, to, isZhangai != 0, fileTextToAnsi);
    // The boys or the girls: a child whose 性别 is not known is only under 全部.
    const std::string sex = sexShown();
    if (sex != kShown[0])
        keepTermRows(board_, [&](const TermRow& row) { return sexIn(children_, row.name) == sex; });
    fillList();
    return true;
}

void CTermDlg::fillList() {
    list_.DeleteAllItems();
    // The name column stays: a list view need not let its first column go.
    for (int c = list_.GetColumnCount() - 1; c >= 1; --c) list_.DeleteColumn(c);
    const std::vector<std::string> headings = termHeadings(board_);
    if (list_.GetColumnCount() == 0) list_.InsertColumn(0, headings[0].c_str(), LVCFMT_LEFT, 70);
    const int best = board_.obstacle ? 110 : 80;
    const int widths[] = {70, 40, best, best + 10, 55};
    for (size_t c = 1; c < headings.size(); ++c)
        list_.InsertColumn((int)c, headings[c].c_str(), LVCFMT_CENTER, c < 5 ? widths[c] : best);
    for (size_t r = 0; r < board_.rows.size(); ++r) {
        const std::vector<std::string> cells = termCells(board_, board_.rows[r]);
        list_.InsertItem((int)r, cells[0]);
        for (size_t c = 1; c < cells.size(); ++c) list_.SetItemText((int)r, (int)c, cells[c]);
    }
    SetDlgItemText(IDC_TERM_SUMMARY, std::string(modeText(board_.obstacle)) + "，" +
                                         core->getStrInt((int)board_.rows.size()) + " 人有成绩，" +
                                         core->getStrInt((int)board_.mondays.size()) + " 周");
    selected_ = 0;
    if (!board_.rows.empty()) list_.SelectItem(0);
    InvalidateRect(GetDlgItem(m_hWnd, IDC_TERM_CHART), nullptr, FALSE);
}

void CTermDlg::drawChart(const DRAWITEMSTRUCT& item) {
    const int w = item.rcItem.right - item.rcItem.left, h = item.rcItem.bottom - item.rcItem.top;
    if (!chart_.ensure(w, h)) return;
    drawTermChart(chart_.graphics(), family_.get(), board_, selected_, 0, 0, (float)w, (float)h, 12);
    gp::GdipFlush(chart_.graphics(), gp::FlushIntentionSync);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, w, h, chart_.dc(), 0, 0, SRCCOPY);
}

// The range as typed, as 查看 would show it, in data\export\.
void CTermDlg::exportBoard() {
    if (!showRange()) return;
    if (board_.rows.empty()) {
        core->msgboxInfo(m_hWnd, "这段时间没有成绩，没有可导出的内容。");
        return;
    }
    const std::string sex = sexShown();
    const std::string name = "学期_" + formatDate(board_.from) + "_" + formatDate(board_.to) +
                             (sex == kShown[0] ? std::string() : "_" + sex);
    std::vector<std::string> pages;
    for (std::size_t page = 1; page <= termPageCount(board_.rows.size()); ++page)
        pages.push_back(name + "_" + std::to_string(page) + ".png");
    exportPicturesAndTable(
        folder_, m_hWnd, pages, "图片",
        [this](std::size_t page, const std::string& path, std::string* reason) {
            return saveTermPage(board_, page, path, reason);
        },
        name + ".csv", termTable(board_));
}

// 进步之星 for the table shown: its boys or girls apart where 性别 is known.
void CTermDlg::giveCertificates() {
    if (!showRange()) return;
    const std::vector<Honoured> stars =
        progressStars(board_, [this](const std::string& name) { return sexIn(children_, name); });
    makeCertificates(m_hWnd, folder_, className_, HonourKind::ProgressStar, stars,
                     "这段时间里没有人进步，没有可以颁发的“进步之星”。");
}
