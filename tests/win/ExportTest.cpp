// Export after a race: a PNG of exactly the frame on screen and a table of
// both boards that a spreadsheet reads as text where it must; and the term
// board's export.
#include "output/TermBoard.h"
#include "res/resource.h"
#include "tests/win/RaceWindowsFixture.h"

#include <gtest/gtest.h>

namespace {

using ExportTest = RaceWindowsTest;

std::vector<std::string> exported(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

TEST_F(ExportTest, SavesThePictureAndTheTableOfAnEndedRace) {
    dir.write("data\\psn.txt", "=SUM(A1)\r\n李娜\r\n王芳\r\n");
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        pressKey(w, '2');
        ticks.advance(59000);
        pressKey(w, '2');
        ticks.advance(2000);
        pressKey(w, VK_OEM_PERIOD);
        clickButton(w, IDC_EXPORT);

        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, (UINT)MB_ICONINFORMATION);
        const std::string folder = dir.path() + "data\\export\\";
        EXPECT_NE(boxes.boxes()[0].text.find(folder), std::string::npos);

        const auto pictures = exported(folder, "画面_*.png");
        const auto tables = exported(folder, "成绩_*.csv");
        ASSERT_EQ(pictures.size(), 1u);
        ASSERT_EQ(tables.size(), 1u);

        Gdiplus::GpImage* image = nullptr;
        const std::wstring wide = toWide(folder + pictures[0]);
        ASSERT_EQ(gp::GdipLoadImageFromFile(wide.c_str(), &image), gp::Ok);
        gp::ScopedImage owned(image);
        UINT iw = 0, ih = 0;
        gp::GdipGetImageWidth(image, &iw);
        gp::GdipGetImageHeight(image, &ih);
        EXPECT_EQ((int)iw, width);
        EXPECT_EQ((int)ih, height);
        // Transparent where the frame is, opaque where it is.
        Gdiplus::ARGB corner = 0;
        gp::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(image), iw - 1, ih - 1, &corner);
        EXPECT_EQ(corner >> 24, 0u);

        const std::string csv = dir.read("data\\export\\" + tables[0]);
        ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
        const std::string text = core->textToAnsi(csv);
        EXPECT_EQ(text.find("榜单,名次,序号,姓名,时间,毫秒,得分\r\n"), 0u);
        EXPECT_NE(text.find("本场成绩,1,2,李娜,\"00'59.00\"\"\",59000,0\r\n"), std::string::npos);
        EXPECT_NE(text.find("本场成绩,2,1,'=SUM(A1),\"01'01.00\"\"\",61000,0\r\n"), std::string::npos);
        EXPECT_NE(text.find("本场成绩,3,3,王芳,未计时,,0\r\n"), std::string::npos);
        EXPECT_NE(text.find("周冠军榜,"), std::string::npos);
    });
}

TEST_F(ExportTest, IsRefusedDuringARaceAndFailuresAreTold) {
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        clickButton(w, IDC_EXPORT);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "比赛进行中，不允许操作！");
        pressKey(w, VK_OEM_PERIOD);
        boxes.clear();
        // A file where the export folder should be: nothing can be saved.
        dir.write("data\\export", "not a folder");
        clickButton(w, IDC_EXPORT);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, (UINT)MB_ICONWARNING);
        EXPECT_NE(boxes.boxes()[0].text.find("导出失败"), std::string::npos);
    });
}

}  // namespace

namespace {

// 学期成绩, opened from 成绩管理, through its real messages: it opens on this
// term; a date that is none and a start after the end are told and leave the
// table as it was; a table that cannot be written is told by its name.
TEST_F(ExportTest, TheTermBoardTellsBadDatesAndAFileItCannotWrite) {
    dir.write("data\\_records.csv",
              "计时赛,2026-11-03 10:00:00\r\n张伟,12340,0\r\n李娜,11000,0\r\n\r\n"
              "障碍赛,2026-11-04 10:00:00\r\n张伟,9000,100\r\n\r\n"
              "计时赛,2026-11-10 10:00:00\r\n张伟,11000,0\r\n\r\n");
    const std::string table = dir.file("data\\export\\学期_2026-11-02_2026-11-15.csv");
    withDialog([&](CControlDlg&, HWND w) {
        whileModal([&] { clickButton(w, IDC_RESULTS); }, [&](HWND results) {
            whileModal([&] { clickButton(results, IDC_TERM); }, [&](HWND term) {
                const LocalTime today = core->getTimeNow();
                EXPECT_EQ(text(term, IDC_TERM_FROM), formatDate(termStart(today)));
                EXPECT_EQ(text(term, IDC_TERM_TO), formatDate(today));
                SetDlgItemTextA(term, IDC_TERM_FROM, "2026-11-02");
                SetDlgItemTextA(term, IDC_TERM_TO, " 2026-11-15");
                clickButton(term, IDC_TERM_SHOW);
                EXPECT_EQ(text(term, IDC_TERM_SUMMARY), "计时赛，2 人有成绩，2 周");
                const std::vector<std::string> first = {cell(term, IDC_TERM_LIST, 0, 0), cell(term, IDC_TERM_LIST, 0, 4),
                                                        cell(term, IDC_TERM_LIST, 1, 6)};
                EXPECT_EQ(first, (std::vector<std::string>{"张伟", "+1.34", ""}));
                for (const char* bad : {"2026-11-31", "2026-11-16", "2025-11-14"}) {
                    SetDlgItemTextA(term, IDC_TERM_FROM, bad);
                    clickButton(term, IDC_TERM_SHOW);
                    EXPECT_EQ(cell(term, IDC_TERM_LIST, 0, 4), "+1.34") << bad;
                }
                ASSERT_EQ(boxes.boxes().size(), 3u);
                EXPECT_EQ(boxes.boxes()[0].text, "“从”不是日期：2026-11-31\n\n请写成 2026-09-01 这样的日期。");
                EXPECT_EQ(boxes.boxes()[1].text, "开始日期 2026-11-16 晚于结束日期 2026-11-15。");
                EXPECT_EQ(boxes.boxes()[2].text, "从 2025-11-14 到 2026-11-15 超过一年，请选短一些的时间。");

                SetDlgItemTextA(term, IDC_TERM_FROM, "2026-11-02");
                dir.write("data\\export\\学期_2026-11-02_2026-11-15.csv", "");
                HANDLE held = CreateFileA(table.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                clickButton(term, IDC_TERM_EXPORT);
                CloseHandle(held);
                ASSERT_EQ(boxes.boxes().size(), 4u);
                EXPECT_EQ(boxes.boxes()[3].text.find("导出失败。无法保存成绩表：\n" + table + "\n\n原因："), 0u);
                // A page that cannot be saved: the table is saved all the same.
                const std::string page = dir.file("data\\export\\学期_2026-11-02_2026-11-15_1.png");
                DeleteFileA(page.c_str());
                CreateDirectoryA(page.c_str(), nullptr);
                clickButton(term, IDC_TERM_EXPORT);
                ASSERT_EQ(boxes.boxes().size(), 5u);
                EXPECT_EQ(boxes.boxes()[4].text.find("导出失败。无法保存图片：\n" + page + "\n\n原因："), 0u);
                EXPECT_NE(boxes.boxes()[4].text.find("以下文件已保存：\n" + table + "\n"), std::string::npos);
                EXPECT_EQ(dir.read("data\\export\\学期_2026-11-02_2026-11-15.csv").substr(0, 3), "\xEF\xBB\xBF");
                clickButton(term, IDCANCEL);
            });
            clickButton(results, IDCANCEL);
        });
    });
}

}  // namespace
