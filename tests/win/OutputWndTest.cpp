// The audience window through its real messages and frames: its keys, the
// transparency of what nothing covers, the kept backdrop, the photos it binds
// to the contestants and the layout it computes from the pictures.
#include "core/TimeStamp.h"
#include "res/resource.h"
#include "tests/win/RaceWindowsFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using OutputWndTest = RaceWindowsTest;

MSG keyMessage(HWND w, UINT message, WPARAM key) {
    MSG m = {};
    m.hwnd = w;
    m.message = message;
    m.wParam = key;
    return m;
}

uint8_t alphaAt(const FrameBuffer& f, int x, int y) { return f.pixels()[y * f.width() + x] >> 24; }

TEST_F(OutputWndTest, EnterEscapeAndAltKeysNeverCloseTheAudienceWindowAndEnterStartsTheRace) {
    withDialog([&](CControlDlg&, HWND) {
        HWND out = outputWnd->m_hWnd;
        MSG enter = keyMessage(out, WM_KEYDOWN, VK_RETURN);
        MSG escape = keyMessage(out, WM_KEYDOWN, VK_ESCAPE);
        MSG altF4 = keyMessage(out, WM_SYSKEYDOWN, VK_F4);
        EXPECT_TRUE(outputWnd->PreTranslateMessage(&enter));
        EXPECT_TRUE(outputWnd->PreTranslateMessage(&escape));
        EXPECT_TRUE(outputWnd->PreTranslateMessage(&altF4));
        EXPECT_EQ(altF4.wParam, 0u);
        pumpFor(50);
        EXPECT_TRUE(IsWindow(out));
        EXPECT_EQ(raceRunning, 1);  // Enter does what it does on the control dialog
        EXPECT_TRUE(boxes.boxes().empty());
        // During a race Alt+F4 there asks what the control dialog's close box
        // asks; 取消 goes back to the race.
        boxes.setAnswer(IDCANCEL);
        holdKey(VK_MENU, true);
        pressKey(out, VK_F4, 0x203E0001, WM_SYSKEYDOWN);
        holdKey(VK_MENU, false);
        pumpPending();
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text.find("比赛正在进行中，要关闭程序吗？"), 0u);
        EXPECT_EQ(raceRunning, 1);
        EXPECT_TRUE(IsWindow(out));
    });
}

// With a class list the weekly board is the whole class's: a child of
// another heat who was faster this week leads it, with a photo of its own,
// the others with the default photo the first class lends; without one, the
// heat's again.
TEST_F(OutputWndTest, TheWeeklyBoardOfAClassListIsTheWholeClasss) {
    const std::string now = formatTimeStamp(CCore().getTimeNow());
    dir.write("data\\班级\\二班\\_class.txt", "张伟\r\n李娜\r\n王芳\r\n赵六,男\r\n");
    dir.write("data\\班级\\二班\\psn.txt", "张伟\r\n李娜\r\n");
    dir.write("data\\班级\\二班\\_records.csv", "计时赛," + now + "\r\n赵六,9000,0\r\n王芳,9000,0\r\n\r\n计时赛," + now +
                                                  "\r\n李娜,12000,0\r\n张伟,8880000,0\r\n\r\n");
    copyDemo("data\\_face.jpg", "data\\班级\\二班\\赵六.jpg");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");  // the first class's, lent to the second
    withDialog([&](CControlDlg& dlg, HWND) {
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(dlg.useDataFolder(dir.file("data\\班级\\二班\\")));
            ASSERT_EQ(outputWnd->weeklyCount(), 3);
            EXPECT_STREQ(weeklyTotals[0].name, "王芳");
            EXPECT_STREQ(weeklyTotals[1].name, "赵六");
            EXPECT_EQ(weeklyTotals[1].place, 1);
            EXPECT_EQ(weeklyTotals[2].place, 2);
            const std::vector<PhotoOp>& photos = outputWnd->lastPlan().photos;
            EXPECT_EQ(std::count_if(photos.begin(), photos.end(), [](const PhotoOp& p) { return p.weekly; }), 3);
            ASSERT_TRUE(dlg.useDataFolder(dir.file("data\\")));
            EXPECT_EQ(outputWnd->weeklyCount(), 3);  // the heat: 张伟, 李娜, 王芳
            EXPECT_EQ(outputWnd->hasWeeklyData, 0);
        }
    });
}

TEST_F(OutputWndTest, NumpadZeroOnTheAudienceWindowStartsAndEndsTheRace) {
    withDialog([&](CControlDlg&, HWND w) {
        HWND out = outputWnd->m_hWnd;
        pressKey(out, VK_NUMPAD0);
        pumpUntil([] { return raceRunning == 1; }, 1000);
        EXPECT_EQ(raceRunning, 1);
        EXPECT_EQ(text(w, IDC_STATUS), "比赛进行中");
        // The control dialog carries the audience window's keys out.
        pressKey(out, '2');
        pumpPending();
        EXPECT_EQ(contestants[1].timing, 1);
        pressKey(out, VK_NUMPAD2);
        pumpPending();
        EXPECT_EQ(contestants[1].timing, 0);
        pressKey(out, VK_NUMPAD2);  // a third press starts again from now
        pumpPending();
        EXPECT_EQ(contestants[1].timing, 1);
        pressKey(out, VK_NUMPAD0);
        pumpUntil([] { return raceRunning == 0; }, 1000);
        EXPECT_EQ(resultsReady, 1);
    });
}

TEST_F(OutputWndTest, TheTimerRefreshesTheListOnlyWhileAClockRuns) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(83456);
        pumpFor(450);  // two ticks of the 200 ms timer
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 2), "01'23.45\"");
        pressKey(w, '1');
        ticks.advance(5000);
        pumpFor(450);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 2), "01'23.45\"");
    });
}

TEST_F(OutputWndTest, WhatNothingCoversIsTransparentAndTextIsOpaque) {
    withDialog([&](CControlDlg&, HWND) {
        const FrameBuffer& f = outputWnd->frame();
        ASSERT_EQ(f.width(), width);
        ASSERT_EQ(f.height(), height);
        EXPECT_EQ(alphaAt(f, f.width() - 1, f.height() - 1), 0);
        EXPECT_EQ(alphaAt(f, 0, 0), 0);
        // Somewhere in the heading row the text is fully covered.
        const Layout& l = outputWnd->layout();
        uint8_t most = 0;
        for (int y = l.headerY; y < l.headerY + l.headerSize; ++y)
            for (int x = l.leftMargin; x < l.leftMargin + 4 * l.headerSize; ++x)
                most = std::max(most, alphaAt(f, x, y));
        EXPECT_EQ(most, 255);
    });
}

TEST_F(OutputWndTest, TheKeptBackdropGivesTheSamePixelsAsComposingAfresh) {
    copyDemo("bg.jpg", "bg.jpg");
    copyDemo("logo.png", "logo.png");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(1234);
        pressKey(w, '1');
        outputWnd->refresh();
        outputWnd->refresh();  // from the kept backdrop
        const FrameBuffer& f = outputWnd->frame();
        std::vector<uint32_t> kept(f.pixels(), f.pixels() + f.pixelCount());
        outputWnd->setFromScratch(true);
        outputWnd->refresh();
        std::vector<uint32_t> fresh(f.pixels(), f.pixels() + f.pixelCount());
        EXPECT_TRUE(kept == fresh);
        EXPECT_EQ(alphaAt(f, f.width() - 1, f.height() - 1), 255);  // the background covers all
    });
}

TEST_F(OutputWndTest, RunningClocksRedrawnAloneGiveTheSamePixelsAsAWholeFrame) {
    copyDemo("bg.jpg", "bg.jpg");
    copyDemo("logo.png", "logo.png");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");
    dir.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\n");
    withDialog([&](CControlDlg&, HWND w) {
        // A race already on the board, so that every panel has rows.
        pressKey(w, VK_RETURN);
        pressKey(w, '2');
        ticks.advance(4321);
        pressKey(w, VK_OEM_PERIOD);
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        pressKey(w, '3');
        const FrameBuffer& f = outputWnd->frame();
        for (uint32_t step : {10u, 990u, 61000u, 3600000u}) {
            ticks.advance(step);
            outputWnd->refresh();
            EXPECT_TRUE(outputWnd->lastFrameRedrewClocksOnly());
            std::vector<uint32_t> partial(f.pixels(), f.pixels() + f.pixelCount());
            outputWnd->setFromScratch(true);
            outputWnd->refresh();
            outputWnd->setFromScratch(false);
            std::vector<uint32_t> whole(f.pixels(), f.pixels() + f.pixelCount());
            size_t differ = 0;
            for (size_t i = 0; i < whole.size(); ++i) differ += partial[i] != whole[i];
            EXPECT_EQ(differ, 0u) << "after " << step << " ms";
            outputWnd->refresh();  // a whole frame again, then partial ones
        }
        pressKey(w, '2');  // a new clock starts: still only clocks change
        EXPECT_TRUE(outputWnd->lastFrameRedrewClocksOnly());
        pressKey(w, VK_OEM_PERIOD);  // the boards change: a whole frame
        EXPECT_FALSE(outputWnd->lastFrameRedrewClocksOnly());
    });
}

TEST_F(OutputWndTest, PhotosFollowTheDefaultPhotosShapeAndUnsafeNamesGetTheDefault) {
    dir.write("data\\psn.txt", "张伟\r\n张伟\r\n..\\x\r\n李娜\r\n");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");
    copyDemo("data\\张伟.jpg", "data\\张伟.jpg");
    copyDemo("data\\_face.jpg", "x.jpg");  // outside the data folder
    copyDemo("logo.png", "logo.png");
    withDialog([&](CControlDlg&, HWND) {
        const Layout& l = outputWnd->layout();
        EXPECT_EQ(l.photoWidth, l.photoHeight * 300 / 400);
        EXPECT_FLOAT_EQ(l.logoHeight, l.logoWidth / 4);
        // Two of the same name: the same file, each in an image of its own.
        ASSERT_NE(contestants[0].faceImage, nullptr);
        ASSERT_NE(contestants[1].faceImage, nullptr);
        EXPECT_NE(contestants[0].faceImage, contestants[1].faceImage);
        // No own photo, and a name that would leave the folder: the default.
        EXPECT_NE(contestants[3].faceImage, nullptr);
        EXPECT_EQ(contestants[2].faceImage, contestants[3].faceImage);
    });
}

TEST_F(OutputWndTest, WithoutLogoOrDefaultPhotoTheLayoutStillHolds) {
    withDialog([&](CControlDlg&, HWND) {
        const Layout& l = outputWnd->layout();
        EXPECT_EQ(l.logoHeight, 0.0f);
        EXPECT_EQ(l.headerY, (int)(3 * (double)l.margin));
        EXPECT_EQ(l.photoWidth, l.photoHeight * 3 / 4);
        EXPECT_EQ(contestants[0].faceImage, nullptr);
    });
}

TEST_F(OutputWndTest, EightRowsFitAboveTheTipsAndTheLayoutFollowsTheRosterWithoutReloadingPhotos) {
    dir.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n刘洋\r\n陈静\r\n赵磊\r\n孙丽\r\n周强\r\n");
    copyDemo("logo.png", "logo.png");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");
    withDialog([&](CControlDlg&, HWND w) {
        const Layout eight = outputWnd->layout();
        EXPECT_EQ(outputWnd->layoutRows(), 8);
        const FramePlan& plan = outputWnd->lastPlan();
        ASSERT_EQ(plan.photos.size(), 8u);
        for (const PhotoOp& p : plan.photos) EXPECT_LE(p.y + p.h, eight.tipsY);
        void* face = contestants[0].faceImage;
        dir.write("data\\psn.txt", "张伟\r\n李娜\r\n");
        pressKey(w, '0');  // clear data reloads the roster
        EXPECT_EQ(outputWnd->layoutRows(), 2);
        EXPECT_GT(outputWnd->layout().rowHeight, eight.rowHeight) << "back to the roomy rows";
        EXPECT_EQ(outputWnd->lastPlan().photos.size(), 2u);
        EXPECT_EQ(contestants[0].faceImage, face) << "photos stay as the layout loaded them";
    });
}

TEST_F(OutputWndTest, ABoardThatCannotBeReadIsSummedAgainForANewRosterFromTheLastGoodRead) {
    const std::string stamp = formatTimeStamp(core->getTimeNow());
    dir.write("data\\_records.csv",
              "计时赛," + stamp + "\r\n张伟,1000,0\r\n李娜,2000,0\r\n王芳,3000,0\r\n\r\n");
    withDialog([&](CControlDlg&, HWND w) {
        ASSERT_EQ(outputWnd->hasWeeklyData, 1);
        EXPECT_STREQ(weeklyTotals[1].name, "李娜");
        HANDLE lock = CreateFileA(dir.file("data\\_records.csv").c_str(), GENERIC_READ | GENERIC_WRITE,
                                  0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        outputWnd->refresh();
        EXPECT_EQ(outputWnd->hasWeeklyData, 1) << "held for a moment: the board stays";
        EXPECT_STREQ(weeklyTotals[1].name, "李娜");
        dir.write("data\\psn.txt", "王芳\r\n新人\r\n");
        pressKey(w, '0');  // clear data: another roster while the file is held
        EXPECT_EQ(outputWnd->hasWeeklyData, 1);
        EXPECT_STREQ(weeklyTotals[0].name, "王芳");
        EXPECT_EQ(weeklyTotals[0].elapsedMs, 3000);
        EXPECT_EQ(weeklyTotals[0].place, 1);
        EXPECT_STREQ(weeklyTotals[1].name, "新人");
        EXPECT_EQ(weeklyTotals[1].place, 0) << "no race this week: not on the board";
        EXPECT_EQ(weeklyTotals[2].name[0], 0) << "no old name left over";
        CloseHandle(lock);
    });
}

}  // namespace
