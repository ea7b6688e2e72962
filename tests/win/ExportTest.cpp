// Export after a race: a PNG of exactly the frame on screen and a table of
// both boards that a spreadsheet reads as text where it must.
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
        const std::string text = core->utf8ToAnsi(csv);
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
