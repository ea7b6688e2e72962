// The control dialog driven through its real messages: start-up, the key
// table, the race states and the records file, including a file that another
// program holds.
#include "core/Core.h"
#include "output/OutputWnd.h"
#include "race/ControlDlg.h"
#include "race/RaceJournal.h"
#include "core/RaceState.h"
#include "core/TextFields.h"
#include "res/resource.h"
#include "tests/win/RaceWindowsFixture.h"

#include <gtest/gtest.h>

namespace {

using ControlDlgTest = RaceWindowsTest;

TEST_F(ControlDlgTest, StartsReadyWithTheRosterTheColumnsAndTheCaption) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        char caption[128] = {};
        GetWindowTextA(w, caption, sizeof caption);
        EXPECT_STREQ(caption, "Trackvane（计时赛）");
        EXPECT_EQ(dlg.contestantList.GetColumnCount(), 3);
        ASSERT_EQ(contestantCount, 3);
        EXPECT_EQ(dlg.contestantList.GetItemCount(), 3);
        EXPECT_EQ(dlg.contestantList.GetItemText(2, 0), "3");
        EXPECT_EQ(dlg.contestantList.GetItemText(2, 1), "王芳");
        EXPECT_EQ(dlg.contestantList.GetItemText(2, 2), "00'00.00\"");
        EXPECT_EQ(text(w, IDC_RACE), "开始比赛");
        EXPECT_EQ(text(w, IDC_STATUS), "就绪");
        EXPECT_EQ(IsDlgButtonChecked(w, IDC_ENABLE_OUTPUT), (UINT)BST_CHECKED);
        EXPECT_TRUE(IsWindowVisible(outputWnd->m_hWnd));
        // The records file exists before the first race ends.
        EXPECT_TRUE(core->isFileExist(dir.file("data\\_records.csv")));
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

TEST_F(ControlDlgTest, ObstacleModeFromTheSettingsAddsTheScoreColumn) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\nscoreInit=7\r\n");
    withDialog([&](CControlDlg& dlg, HWND w) {
        char caption[128] = {};
        GetWindowTextA(w, caption, sizeof caption);
        EXPECT_STREQ(caption, "Trackvane（障碍赛）");
        EXPECT_EQ(dlg.contestantList.GetColumnCount(), 4);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 3), "7");
    });
}

TEST_F(ControlDlgTest, ASecondDisplayRightOfThePrimaryOneSetsTheOutputSize) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nwidth=800\r\nheight=600\r\n");
    const RECT right = {1920, 0, 3840, 1080};
    CCore::setSecondDisplayOverride(&right);
    withDialog([&](CControlDlg&, HWND) {
        EXPECT_EQ(width, 1920);
        EXPECT_EQ(height, 1080);
        EXPECT_EQ(outputWnd->frame().width(), 1920);
    });
    // Left of the primary one its right edge is 0: it counts as none.
    const RECT left = {-1280, 0, 0, 1024};
    CCore::setSecondDisplayOverride(&left);
    withDialog([&](CControlDlg&, HWND) {
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
    });
    CCore::setSecondDisplayOverride(nullptr);
}

TEST_F(ControlDlgTest, AWholeRaceFromTheKeyboardWritesOneBlock) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        pressKey(w, VK_RETURN);
        EXPECT_EQ(raceRunning, 1);
        EXPECT_EQ(text(w, IDC_RACE), "结束比赛");
        EXPECT_EQ(text(w, IDC_STATUS), "比赛进行中");

        pressKey(w, '1');
        ticks.advance(500);
        pressKey(w, VK_NUMPAD2);
        EXPECT_EQ(contestants[0].timing, 1);
        EXPECT_EQ(contestants[1].timing, 1);
        ticks.advance(65432 - 500);
        pressKey(w, '1');
        EXPECT_EQ(contestants[0].timing, 0);
        pressKey(w, VK_RETURN);  // Enter during a race does not end it
        EXPECT_EQ(raceRunning, 1);
        ticks.advance(1000);
        pressKey(w, VK_OEM_PERIOD);

        EXPECT_EQ(raceRunning, 0);
        EXPECT_EQ(resultsReady, 1);
        EXPECT_EQ(text(w, IDC_RACE), "开始比赛");
        EXPECT_EQ(text(w, IDC_STATUS), "比赛结束！");
        EXPECT_EQ(contestants[0].elapsedMs, 65432);
        EXPECT_EQ(contestants[1].elapsedMs, 65932);  // still running at the end
        EXPECT_EQ(contestants[2].elapsedMs, NO_TIME);
        EXPECT_EQ(dlg.formatElapsed(0), "01'05.43\"");

        const std::string file = records();
        const size_t firstLineEnd = file.find("\r\n");
        ASSERT_NE(firstLineEnd, std::string::npos);
        EXPECT_EQ(file.substr(0, 7), "计时赛,");
        EXPECT_EQ(file.substr(firstLineEnd + 2),
                  "张伟,65432,0\r\n李娜,65932,0\r\n王芳,8880000,0\r\n\r\n");
        // The weekly board read the block back at once.
        EXPECT_EQ(outputWnd->hasWeeklyData, 1);
        EXPECT_EQ(weeklyTotals[0].elapsedMs, 65432);

        pressKey(w, VK_OEM_PERIOD);  // outside a race: nothing
        EXPECT_EQ(raceRunning, 0);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

TEST_F(ControlDlgTest, ClearDataIsRefusedDuringARaceAndOtherKeysShowTheirValue) {
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_NUMPAD0);  // numpad 0 starts the race too
        ASSERT_EQ(raceRunning, 1);
        pressKey(w, '3');
        pressKey(w, '0');
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "比赛进行中，不允许操作！");
        EXPECT_EQ(contestants[2].timing, 1);  // nothing was cleared
        clickButton(w, IDC_OPTIONS);
        EXPECT_EQ(boxes.boxes().size(), 2u);
        boxes.clear();
        pressKey(w, VK_TAB);  // during a race no box takes the keyboard
        EXPECT_TRUE(boxes.boxes().empty());
        pressKey(w, VK_NUMPAD0);  // and ends it
        EXPECT_EQ(raceRunning, 0);
        pressKey(w, VK_TAB);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "按键值：9");
    });
}

TEST_F(ControlDlgTest, HeldStrayAndNumLockOffKeysAndTheAudienceWindowsKeys) {
    const LPARAM held = 0x40000001, extended = 0x01000001;
    withDialog([&](CControlDlg&, HWND w) {
        HWND out = outputWnd->m_hWnd;
        pressKey(w, VK_NUMPAD0);
        for (int i = 0; i < 5; ++i) pressKey(w, VK_NUMPAD0, held);
        EXPECT_EQ(raceRunning, 1);
        EXPECT_EQ(records(), "");
        pressKey(w, VK_SHIFT);
        pressKey(w, VK_F5);
        pressKey(w, VK_CAPITAL);
        pressKey(w, VK_DOWN);  // the pad's 2 with Num Lock off
        EXPECT_EQ(contestants[1].timing, 1);
        pressKey(w, '1');
        pressKey(w, '1');
        for (int i = 0; i < 3; ++i) pressKey(w, '1', held);  // held, it stops the clock once only
        EXPECT_EQ(contestants[0].timing, 0);
        pressKey(w, VK_DOWN, extended);  // the arrow key is no race key
        EXPECT_EQ(contestants[1].timing, 1);
        EXPECT_TRUE(boxes.boxes().empty());

        // The audience window takes the race keys too: full stop ends,
        // Enter starts; Esc and Alt+F4 do nothing there.
        pressKey(out, '3');
        pumpPending();
        EXPECT_EQ(contestants[2].timing, 1);
        pressKey(out, VK_ESCAPE);
        pressKey(out, VK_F4, 0x20000001, WM_SYSKEYDOWN);
        pressKey(out, VK_OEM_PERIOD);
        pumpPending();
        EXPECT_EQ(raceRunning, 0);
        EXPECT_EQ(records().find("计时赛,"), 0u);
        pressKey(out, VK_RETURN);
        pumpPending();
        EXPECT_EQ(raceRunning, 1);
        pressKey(out, VK_INSERT);  // the pad's 0 with Num Lock off
        pumpPending();
        EXPECT_EQ(raceRunning, 0);
        EXPECT_TRUE(IsWindowVisible(out));
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

TEST_F(ControlDlgTest, UndoGivesBackTheStoppedTimeAfterAMistakenRestart) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        pressKey(w, VK_BACK);  // outside a race: nothing, and no box
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(61234);
        pressKey(w, '1');
        ticks.advance(2000);
        pressKey(w, '1');  // the mistake: the clock starts again from zero
        ticks.advance(500);
        EXPECT_EQ(dlg.formatElapsed(0), "00'00.50\"");
        pressKey(w, VK_BACK);
        EXPECT_EQ(contestants[0].timing, 0);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 2), "01'01.23\"");

        // Undoing a stop lets the clock run on from its first start.
        pressKey(w, '2');
        ticks.advance(1000);
        pressKey(w, '2');
        ticks.advance(1000);
        holdControl(true);
        pressKey(w, 'Z');
        holdControl(false);
        EXPECT_EQ(contestants[1].timing, 1);
        EXPECT_EQ(dlg.formatElapsed(1), "00'02.00\"");
        pressKey(outputWnd->m_hWnd, VK_BACK);  // and the audience window's Backspace the start
        pumpPending();
        EXPECT_EQ(contestants[1].startTick, 0u);
        EXPECT_EQ(contestants[0].timing, 0);

        pressKey(w, VK_OEM_PERIOD);
        EXPECT_NE(records().find("张伟,61234,0\r\n李娜,8880000,0\r\n"), std::string::npos);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

TEST_F(ControlDlgTest, ClockKeysOutsideARaceAndBeyondTheRosterChangeNothingVisible) {
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, '1');
        EXPECT_EQ(contestants[0].timing, 0);
        pressKey(w, VK_RETURN);
        pressKey(w, '7');  // entry 6 exists in the table but not in the roster
        EXPECT_EQ(contestants[6].timing, 0);
        EXPECT_EQ(dir.read("data\\_race-journal.txt").find("start,7"), std::string::npos);
        pressKey(w, VK_OEM_PERIOD);
        // Only the roster is written.
        EXPECT_EQ(records().find("8880000,0\r\n\r\n") + 13, records().size());
    });
}

TEST_F(ControlDlgTest, TheClockColumnSurvivesTheTickCountWrapping) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        ticks.set(0xFFFFFF00u);
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.set(0x00000100u);
        EXPECT_EQ(dlg.formatElapsed(0), "00'00.51\"");
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_EQ(contestants[0].elapsedMs, 512);
    });
}

// The whole program moves to another data folder by one call, and back:
// each folder's roster in the list, its results on the weekly board, and a
// race ended there written to its own file while the other keeps its bytes.
TEST_F(ControlDlgTest, OneCallMovesTheProgramBetweenTwoDataFolders) {
    const std::string now = formatTimeStamp(CCore().getTimeNow());
    const std::string first = "计时赛," + now + "\r\n李娜,10000,0\r\n\r\n";
    const std::string second = "计时赛," + now + "\r\n钱七,20000,3\r\n\r\n";
    dir.write("data\\_records.csv", first);
    dir.write("data\\班级\\二班\\psn.txt", "赵六\r\n钱七\r\n");
    dir.write("data\\班级\\二班\\_records.csv", second);
    withDialog([&](CControlDlg& dlg, HWND w) {
        EXPECT_EQ(weeklyTotals[1].elapsedMs, 10000);
        ASSERT_TRUE(dlg.useDataFolder(dir.file("data\\班级\\二班\\")));
        ASSERT_EQ(contestantCount, 2);
        EXPECT_EQ(dlg.contestantList.GetItemText(1, 1), "钱七");
        EXPECT_EQ(weeklyTotals[1].elapsedMs, 20000);
        EXPECT_EQ(outputWnd->hasWeeklyData, 1);
        pressKey(w, VK_RETURN);
        EXPECT_FALSE(dlg.useDataFolder(dir.file("data\\")));  // not during a race
        pressKey(w, '1');
        ticks.advance(12340);
        pressKey(w, VK_OEM_PERIOD);
        const std::string added = dir.read("data\\班级\\二班\\_records.csv").substr(second.size());
        EXPECT_EQ(added.substr(added.find("\r\n")), "\r\n赵六,12340,0\r\n钱七,8880000,0\r\n\r\n");
        ASSERT_TRUE(dlg.useDataFolder(dir.file("data\\")));
        EXPECT_EQ(records(), first);
        EXPECT_EQ(resultsReady, 0);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 1), "张伟");
        EXPECT_EQ(weeklyTotals[1].elapsedMs, 10000);
    });
}

TEST_F(ControlDlgTest, ARaceThatCannotBeWrittenIsKeptAndWrittenBeforeTheNextOne) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        HANDLE lock = CreateFileA(dir.file("data\\_records.csv").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        boxes.setAnswer(IDCANCEL);
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(1000);
        pressKey(w, VK_OEM_PERIOD);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].type & MB_TYPEMASK, (UINT)MB_RETRYCANCEL);
        EXPECT_NE(boxes.boxes()[0].text.find(dir.file("data\\_records.csv")), std::string::npos);
        EXPECT_EQ(dlg.pendingRecords().size(), 1u);
        CloseHandle(lock);
        EXPECT_EQ(records(), "");  // nothing half-written

        boxes.clear();
        pressKey(w, VK_RETURN);
        pressKey(w, '2');
        ticks.advance(2000);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_TRUE(dlg.pendingRecords().empty());
        const std::string file = records();
        const size_t first = file.find("张伟,1000,0");
        const size_t second = file.find("李娜,2000,0");
        ASSERT_NE(first, std::string::npos);
        ASSERT_NE(second, std::string::npos);
        EXPECT_LT(first, second);
        EXPECT_NE(file.find("\r\n\r\n计时赛,"), std::string::npos);  // two whole blocks
    });
}

TEST_F(ControlDlgTest, RetryWritesTheBlockOnceTheFileIsFree) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        HANDLE lock = CreateFileA(dir.file("data\\_records.csv").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        boxes.setAnswer(IDRETRY);
        static HANDLE held;
        held = lock;
        // The operator closes the spreadsheet while the box is up.
        CCore::setMessageHook([](HWND, const std::string&, UINT) {
            CloseHandle(held);
            return IDRETRY;
        });
        pressKey(w, VK_RETURN);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_TRUE(dlg.pendingRecords().empty());
        EXPECT_EQ(records().substr(0, 7), "计时赛,");
    });
}

TEST_F(ControlDlgTest, AMissingRosterIsToldOnceAndTheRaceStillRuns) {
    DeleteFileA(dir.file("data\\psn.txt").c_str());
    withDialog([&](CControlDlg&, HWND w) {
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_NE(boxes.boxes()[0].text.find("psn.txt"), std::string::npos);
        EXPECT_EQ(contestantCount, 0);
        pressKey(w, VK_RETURN);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_EQ(boxes.boxes().size(), 1u);
        // Header and the empty closing line only.
        const std::string file = records();
        EXPECT_EQ(file.find("\r\n") + 2, file.size() - 2);
    });
}

int64_t localWallMs() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return toSerialMs(LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond},
                      st.wMilliseconds);
}

bool journalAsideExists(const ScratchFolder& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(dir.file("data\\_race-journal-*.txt").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

TEST_F(ControlDlgTest, TheJournalFollowsEveryChangeAndGoesWithTheBlock) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        const std::string journal = "data\\_race-journal.txt";
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(1000);
        pressKey(w, '1');
        pressKey(w, '1');
        pressKey(w, VK_BACK);
        const std::string lines = dir.read(journal);
        EXPECT_EQ(dlg.journalPath(), dir.file(journal));
        EXPECT_NE(lines.find("race,start="), std::string::npos);
        EXPECT_NE(lines.find(",mode=计时赛,isZhangai=0,scoreInit=0,contestants=3\r\n"
                             "name,1,张伟\r\nname,2,李娜\r\nname,3,王芳\r\n"
                             "start,1,tick=100000,wall="),
                  std::string::npos)
            << lines;
        EXPECT_NE(lines.find("stop,1,tick=101000,"), std::string::npos);
        EXPECT_NE(lines.find("restart,1,tick=101000,"), std::string::npos);
        EXPECT_NE(lines.find("undo,1,tick=101000,"), std::string::npos);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_FALSE(core->isFileExist(dir.file(journal)));
        EXPECT_NE(records().find("张伟,1000,0\r\n"), std::string::npos);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

// A journal as a race left it when the program died: 甲 stopped after 30 s,
// 乙 running for 40 s with a score of 7, in an obstacle race.
std::string leftJournal(uint32_t lastTick, int64_t lastWall) {
    Contestant table[MAX_CONTESTANTS] = {};
    fitName("甲", table[0].name);
    fitName("乙", table[1].name);
    const int64_t start = lastWall - 60000;
    std::string j;
    for (const std::string& line :
         journalRaceLines("障碍赛", 1, 0, start, table, 2, {lastTick - 60000, start}))
        j += line + "\r\n";
    auto at = [&](uint32_t tick) { return JournalClock{tick, lastWall - (int64_t)(lastTick - tick)}; };
    j += journalClockLine(ClockAction::Start, 0, at(lastTick - 40000)) + "\r\n";
    j += journalClockLine(ClockAction::Start, 1, at(lastTick - 30000)) + "\r\n";
    j += journalClockLine(ClockAction::Stop, 0, at(lastTick - 10000)) + "\r\n";
    j += journalScoreLine(1, 7, at(lastTick)) + "\r\n";
    return j;
}

// No keeps the journal aside and writes nothing; Yes gives the race back.
TEST_F(ControlDlgTest, ARaceLeftInTheJournalComesBackOnYesAndIsKeptAsideOnNo) {
    // Killed ten seconds ago under the same Windows: the tick count ran on.
    dir.write("data\\_race-journal.txt", leftJournal(90000, localWallMs() - 10000));
    boxes.setAnswer(IDNO);
    withDialog([&](CControlDlg& dlg, HWND w) {
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(raceRunning, 0);
        EXPECT_EQ(text(w, IDC_STATUS), "就绪");
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 1), "张伟");
        EXPECT_FALSE(core->isFileExist(dlg.journalPath()));
        EXPECT_TRUE(journalAsideExists(dir));
    });
    EXPECT_EQ(records(), "");

    dir.write("data\\_race-journal.txt", leftJournal(90000, localWallMs() - 10000));
    boxes.clear();
    boxes.setAnswer(IDYES);
    withDialog([&](CControlDlg& dlg, HWND w) {
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].type & MB_TYPEMASK, (UINT)MB_YESNO);
        EXPECT_NE(boxes.boxes()[0].text.find("障碍赛，2 名选手"), std::string::npos);
        EXPECT_NE(boxes.boxes()[0].text.find("已停表：1 人；仍在计时：1 人"), std::string::npos)
            << boxes.boxes()[0].text;
        EXPECT_EQ(raceRunning, 1);
        EXPECT_EQ(text(w, IDC_STATUS), "比赛进行中");
        char caption[128] = {};
        GetWindowTextA(w, caption, sizeof caption);
        EXPECT_STREQ(caption, "Trackvane（障碍赛）");
        ASSERT_EQ(contestantCount, 2);
        ASSERT_EQ(dlg.contestantList.GetItemCount(), 2);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 1), "甲");
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 2), "00'30.00\"");
        EXPECT_EQ(dlg.contestantList.GetItemText(1, 3), "7");
        EXPECT_EQ(dlg.formatElapsed(1), "00'40.00\"");  // it ran on meanwhile
        EXPECT_EQ(outputWnd->lastPlan().texts.empty(), false);
        ticks.advance(5000);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_NE(records().find("障碍赛,"), std::string::npos);
        EXPECT_NE(records().find("\r\n甲,30000,0\r\n乙,45000,7\r\n\r\n"), std::string::npos)
            << records();
        EXPECT_FALSE(core->isFileExist(dlg.journalPath()));
    });
    // Started again after either answer, it asks nothing.
    boxes.clear();
    withDialog([&](CControlDlg&, HWND) { EXPECT_TRUE(boxes.boxes().empty()); });
}

TEST_F(ControlDlgTest, ClosingDuringARaceAsksFirst) {
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        ticks.advance(1500);
        boxes.setAnswer(IDCANCEL);  // back to the race
        SendMessageA(w, WM_COMMAND, IDCANCEL, 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].type & MB_TYPEMASK, (UINT)MB_YESNOCANCEL);
        EXPECT_TRUE(IsWindow(w));
        EXPECT_EQ(raceRunning, 1);
        boxes.setAnswer(IDYES);  // end it, keep it, close
        SendMessageA(w, WM_COMMAND, IDCANCEL, 0);
        pumpPending();
    });
    EXPECT_NE(records().find("张伟,1500,0\r\n"), std::string::npos);
    EXPECT_FALSE(journalAsideExists(dir));

    const std::string before = records();
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '2');
        boxes.setAnswer(IDNO);  // close without keeping it
        SendMessageA(w, WM_COMMAND, IDCANCEL, 0);
        pumpPending();
    });
    EXPECT_EQ(records(), before);
    EXPECT_EQ(GetFileAttributesA(dir.file("data\\_race-journal.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ControlDlgTest, AJournalThatCannotBeWrittenIsToldOncePerRace) {
    CreateDirectoryA(dir.file("data\\_race-journal.txt").c_str(), nullptr);  // in the way
    withDialog([&](CControlDlg&, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        pressKey(w, '1');
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_NE(boxes.boxes()[0].text.find("_race-journal.txt"), std::string::npos);
        EXPECT_NE(boxes.boxes()[0].text.find("原因："), std::string::npos);
        pressKey(w, VK_OEM_PERIOD);  // the race itself is kept
        EXPECT_EQ(records().find("计时赛,"), 0u);
        pressKey(w, VK_RETURN);
        EXPECT_EQ(boxes.boxes().size(), 2u);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_EQ(boxes.boxes().size(), 2u);
    });
    RemoveDirectoryA(dir.file("data\\_race-journal.txt").c_str());
}

// 成绩管理 on a file of two weeks: a corrected time changes that one field
// after a backup, and the weekly board follows; a time it cannot read and a
// held file change nothing; 上一周 shows last week, and a voided race is gone.
TEST_F(ControlDlgTest, ResultsAreCorrectedAndVoidedInTheFileAfterABackup) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const LocalTime now{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    const std::string thisWeek = formatTimeStamp(now);
    const std::string lastWeek = formatTimeStamp(fromSerialSeconds(toSerialSeconds(now) - 7 * 86400));
    const std::string earlier = "计时赛," + lastWeek + "\r\n张伟,30000,0\r\n\r\n";
    const std::string race = "计时赛," + thisWeek + "\r\n张伟,61000,0\r\n李娜,59000,0\r\n\r\n";
    dir.write("data\\_records.csv", earlier + race);
    withDialog([&](CControlDlg&, HWND w) {
        EXPECT_EQ(weeklyTotals[0].elapsedMs, 61000);
        whileModal([&] { clickButton(w, IDC_RESULTS); }, [&](HWND results) {
            EXPECT_EQ(cell(results, IDC_RACES, 0, 0), thisWeek);
            EXPECT_EQ(cell(results, IDC_RACES, 0, 2), "李娜、张伟");
            EXPECT_EQ(cell(results, IDC_RACE_ROWS, 0, 2), "01'01.00\"");
            NMITEMACTIVATE item = {};
            item.hdr = NMHDR{GetDlgItem(results, IDC_RACE_ROWS), IDC_RACE_ROWS, (UINT)NM_DBLCLK};
            whileModal([&] { SendMessageA(results, WM_NOTIFY, IDC_RACE_ROWS, (LPARAM)&item); },
                       [&](HWND edit) {
                           SetDlgItemTextA(edit, IDC_RESULT_TIME, "1'2'3");
                           clickButton(edit, IDOK);
                           EXPECT_TRUE(!boxes.boxes().empty() &&
                                       boxes.boxes()[0].text.find("1:23.45") != std::string::npos);
                           SetDlgItemTextA(edit, IDC_RESULT_TIME, "1:02.5");
                           clickButton(edit, IDOK);
                       });
            EXPECT_EQ(records(), earlier + "计时赛," + thisWeek + "\r\n张伟,62500,0\r\n李娜,59000,0\r\n\r\n");
            WIN32_FIND_DATAA backup = {};
            FindClose(FindFirstFileA(dir.file("data\\backup\\_records-*.csv").c_str(), &backup));
            EXPECT_EQ(dir.read("data\\backup\\" + std::string(backup.cFileName)), earlier + race);
            EXPECT_EQ(weeklyTotals[0].elapsedMs, 62500);
            EXPECT_EQ(cell(results, IDC_RACE_ROWS, 0, 2), "01'02.50\"");

            clickButton(results, IDC_PREVIOUS_WEEK);
            EXPECT_EQ(cell(results, IDC_RACES, 0, 0), lastWeek);
            boxes.setAnswer(IDYES);
            const std::string before = records();
            HANDLE held = CreateFileA(dir.file("data\\_records.csv").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            clickButton(results, IDC_VOID_RACE);
            CloseHandle(held);
            EXPECT_NE(boxes.boxes().back().text.find("记录文件无法修改"), std::string::npos);
            EXPECT_EQ(records(), before);
            clickButton(results, IDC_VOID_RACE);
            EXPECT_EQ(records(), "计时赛," + thisWeek + "\r\n张伟,62500,0\r\n李娜,59000,0\r\n\r\n");
            clickButton(results, IDCANCEL);
        });
    });
}

// The rows list of 成绩管理 double-clicked at `row`, with `script` acting in
// the edit dialog that opens.
void editRow(HWND results, int row, std::function<void(HWND)> script) {
    NMITEMACTIVATE item = {};
    item.hdr = NMHDR{GetDlgItem(results, IDC_RACE_ROWS), IDC_RACE_ROWS, (UINT)NM_DBLCLK};
    item.iItem = row;
    whileModal([&] { SendMessageA(results, WM_NOTIFY, IDC_RACE_ROWS, (LPARAM)&item); }, std::move(script));
}

void selectRace(HWND results, int index) {
    CListCtrl view;
    view.m_hWnd = GetDlgItem(results, IDC_RACES);
    view.SelectItem(index);
    view.m_hWnd = nullptr;
}

// The race just ended, found in a file a spreadsheet saved again (its stamp
// without seconds, after a race of the same second): an OK that changes
// nothing writes nothing, a score changed alone keeps times off the
// hundredth and over an hour, and the list, the boards and Backspace follow
// a correction or a void of that race, never of the one before.
TEST_F(ControlDlgTest, TheRaceJustEndedCorrectedInTheFileShowsSoAndCannotBeTakenBack) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\n");
    withDialog([&](CControlDlg& dlg, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        pressKey(w, '2');
        ticks.advance(12345);
        pressKey(w, '1');
        ticks.advance(3723450 - 12345);
        pressKey(w, VK_OEM_PERIOD);
        const std::string ended = records();
        const std::string header = ended.substr(0, ended.find("\r\n"));
        LocalTime t{};
        ASSERT_TRUE(parseTimeStamp(header.substr(header.find(',') + 1), &t)) << header;
        char sheet[40];
        std::snprintf(sheet, sizeof sheet, "障碍赛,%d/%d/%d %d:%02d", t.year, t.month, t.day, t.hour, t.minute);
        const std::string before = header + "\r\n张伟,1000,0\r\n李娜,2000,0\r\n王芳,3000,0\r\n\r\n";
        dir.write("data\\_records.csv", before + sheet + ended.substr(header.size()));
        const std::string file = records();
        whileModal([&] { clickButton(w, IDC_RESULTS); }, [&](HWND results) {
            selectRace(results, 1);
            EXPECT_EQ(cell(results, IDC_RACE_ROWS, 1, 2), "1:02:03.45");
            editRow(results, 1, [](HWND edit) { clickButton(edit, IDOK); });
            EXPECT_EQ(records(), file);
            EXPECT_EQ(GetFileAttributesA(dir.file("data\\backup").c_str()), INVALID_FILE_ATTRIBUTES);
            editRow(results, 0, [](HWND edit) {
                SetDlgItemTextA(edit, IDC_RESULT_SCORE, "5");
                clickButton(edit, IDOK);
            });
            EXPECT_EQ(records(), before + sheet + "\r\n张伟,12345,5\r\n李娜,3723450,0\r\n王芳,8880000,0\r\n\r\n");
            EXPECT_EQ(dlg.contestantList.GetItemText(0, 3), "5");
            EXPECT_EQ(weeklyTotals[0].score, 5);
            selectRace(results, 0);  // the race of the same second before it
            editRow(results, 0, [](HWND edit) {
                SetDlgItemTextA(edit, IDC_RESULT_SCORE, "9");
                clickButton(edit, IDOK);
            });
            EXPECT_EQ(contestants[0].score, 5);
            clickButton(results, IDCANCEL);
        });
        EXPECT_EQ(resultsReady, 1);
        boxes.clear();
        pressKey(w, VK_BACK);  // its end can no longer be taken back
        EXPECT_TRUE(boxes.boxes().empty());

        whileModal([&] { clickButton(w, IDC_RESULTS); }, [&](HWND results) {
            selectRace(results, 1);
            const std::string shown = records();
            dir.write("data\\_records.csv", shown + "\r\n");  // changed since it was shown
            boxes.setAnswer(IDYES);
            clickButton(results, IDC_VOID_RACE);
            EXPECT_NE(boxes.boxes().back().text.find("在打开成绩管理之后被修改过"), std::string::npos);
            EXPECT_EQ(records(), shown + "\r\n");
            EXPECT_EQ(resultsReady, 1);
            selectRace(results, 1);
            clickButton(results, IDC_VOID_RACE);
            clickButton(results, IDCANCEL);
        });
        EXPECT_EQ(records(), header + "\r\n张伟,1000,9\r\n李娜,2000,0\r\n王芳,3000,0\r\n\r\n");
        EXPECT_EQ(resultsReady, 0);
        boxes.clear();
        pressKey(w, VK_BACK);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

}  // namespace

namespace {

using ControlDlgSettingsTest = RaceWindowsTest;

TEST_F(ControlDlgSettingsTest, SwitchingToAnObstacleRaceAddsTheScoreColumnAndRenamesTheMode) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nscoreInit=10\r\n");
    withDialog([&](CControlDlg& dlg, HWND w) {
        pressKey(w, VK_RETURN);
        pressKey(w, VK_OEM_PERIOD);  // a race ended: options clears its results
        ASSERT_EQ(resultsReady, 1);
        whileModal([&] { clickButton(w, IDC_OPTIONS); }, [](HWND options) {
            CheckDlgButton(options, IDC_OBSTACLE, BST_CHECKED);
            clickButton(options, IDC_OBSTACLE);
            clickButton(options, IDOK);
        });
        EXPECT_EQ(isZhangai, 1);
        ASSERT_EQ(dlg.contestantList.GetColumnCount(), 4);
        for (int row = 0; row < 3; ++row) EXPECT_EQ(dlg.contestantList.GetItemText(row, 3), "10");
        char caption[128] = {};
        GetWindowTextA(w, caption, sizeof caption);
        EXPECT_STREQ(caption, "Trackvane（障碍赛）");
        EXPECT_EQ(text(w, IDC_STATUS), "就绪");
        EXPECT_EQ(resultsReady, 0);
        // And back: the column goes again.
        whileModal([&] { clickButton(w, IDC_OPTIONS); }, [](HWND options) {
            CheckDlgButton(options, IDC_OBSTACLE, BST_UNCHECKED);
            clickButton(options, IDOK);
        });
        EXPECT_EQ(dlg.contestantList.GetColumnCount(), 3);
    });
}

// Keys of the audience window and remote commands wait for modal windows:
// nothing starts a race behind Options (whose OK would wipe it), and nothing
// ends one behind the scoring dialog (whose score would come after the block).
TEST_F(ControlDlgSettingsTest, NothingChangesTheRaceBehindAModalWindow) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\n");
    withDialog([&](CControlDlg&, HWND w) {
        HWND out = outputWnd->m_hWnd;
        auto tryToChangeTheRace = [out, w] {
            pressKey(out, VK_NUMPAD0);
            pressKey(out, VK_RETURN);
            pressKey(out, VK_OEM_PERIOD);
            pressKey(out, '0');
            PostMessageA(w, UM_REMOTE_KEY, VK_NUMPAD0, 0);
            pumpPending();
        };
        for (int button : {IDCANCEL, IDOK}) {
            whileModal([&] { clickButton(w, IDC_OPTIONS); }, [&](HWND options) {
                tryToChangeTheRace();
                EXPECT_EQ(raceRunning, 0);
                clickButton(options, button);
            });
            EXPECT_EQ(raceRunning, 0);
            EXPECT_EQ(records(), "");
        }
        pressKey(w, VK_RETURN);
        pressKey(w, '1');
        whileModal([&] { doubleClickRow(w, 0); }, [&](HWND score) {
            tryToChangeTheRace();
            pressKey(out, '1');
            pressKey(out, VK_BACK);
            pumpPending();
            EXPECT_EQ(raceRunning, 1);
            EXPECT_EQ(contestants[0].timing, 1);
            SetDlgItemTextA(score, IDC_SCORE, "9");
            clickButton(score, IDC_SET_SCORE);
        });
        EXPECT_EQ(raceRunning, 1);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_NE(records().find(",9\r\n"), std::string::npos);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

TEST_F(ControlDlgSettingsTest, CancelledOptionsChangeNothing) {
    withDialog([&](CControlDlg& dlg, HWND w) {
        const std::string iniBefore = dir.read("Trackvane.ini");
        whileModal([&] { clickButton(w, IDC_OPTIONS); }, [](HWND options) {
            CheckDlgButton(options, IDC_OBSTACLE, BST_CHECKED);
            SetDlgItemTextA(options, IDC_OUTPUT_WIDTH, "1920");
            clickButton(options, IDCANCEL);
        });
        // The operator's keys go to the control dialog again.
        EXPECT_EQ(GetActiveWindow(), w);
        EXPECT_EQ(isZhangai, 0);
        EXPECT_EQ(width, 1280);
        EXPECT_EQ(dlg.contestantList.GetColumnCount(), 3);
        EXPECT_EQ(dir.read("Trackvane.ini"), iniBefore);
    });
}

TEST_F(ControlDlgSettingsTest, DirectScoringSetsAddsAndTakesAway) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\nscoreInit=3\r\nscoreStep=5\r\n");
    withDialog([&](CControlDlg& dlg, HWND w) {
        doubleClickRow(w, 0);  // outside a race: nothing opens
        pressKey(w, VK_RETURN);

        whileModal([&] { doubleClickRow(w, 0); }, [](HWND score) {
            char name[64] = {};
            GetDlgItemTextA(score, IDC_SCORE_NAME, name, sizeof name);
            EXPECT_STREQ(name, "张伟");
            EXPECT_EQ(GetDlgItemInt(score, IDC_SCORE_CHANGE, nullptr, TRUE), 5u);
            char minus[8] = {};
            GetDlgItemTextA(score, IDC_SCORE_MINUS, minus, sizeof minus);
            EXPECT_STREQ(minus, "-");
            clickButton(score, IDC_SCORE_MINUS);
        });
        EXPECT_EQ(contestants[0].score, -2);
        EXPECT_EQ(dlg.contestantList.GetItemText(0, 3), "-2");
        EXPECT_EQ(GetActiveWindow(), w);

        whileModal([&] { doubleClickRow(w, 1); }, [](HWND score) {
            SetDlgItemTextA(score, IDC_SCORE, "100");  // ignored by plus
            clickButton(score, IDC_SCORE_PLUS);
        });
        EXPECT_EQ(contestants[1].score, 8);

        whileModal([&] { doubleClickRow(w, 2); }, [](HWND score) {
            SetDlgItemTextA(score, IDC_SCORE, "-7");
            clickButton(score, IDC_SET_SCORE);
        });
        EXPECT_EQ(contestants[2].score, -7);

        whileModal([&] { doubleClickRow(w, 2); }, [](HWND score) {
            SetDlgItemTextA(score, IDC_SCORE, "abc");
            clickButton(score, IDC_SCORE);  // not a button: nothing
            clickButton(score, IDCANCEL);
        });
        EXPECT_EQ(contestants[2].score, -7);

        // Scores stop at the edge of their range instead of changing sign.
        contestants[0].score = 2147483640;
        whileModal([&] { doubleClickRow(w, 0); }, [](HWND score) {
            SetDlgItemTextA(score, IDC_SCORE_CHANGE, "100");
            clickButton(score, IDC_SCORE_PLUS);
        });
        EXPECT_EQ(contestants[0].score, 2147483647);
        pressKey(w, VK_OEM_PERIOD);
        EXPECT_NE(records().find("张伟,8880000,2147483647\r\n"), std::string::npos);
        EXPECT_NE(records().find("王芳,8880000,-7\r\n"), std::string::npos);
    });
}

}  // namespace

namespace {

void selectChild(HWND list, int row) {
    CListCtrl view;
    view.m_hWnd = GetDlgItem(list, IDC_CLASS_CHILDREN);
    view.SelectItem(row);
    view.m_hWnd = nullptr;
}

void renameChild(HWND list, int row, const char* name) {
    selectChild(list, row);
    SetDlgItemTextA(list, IDC_CLASS_NAME, name);
    clickButton(list, IDC_CLASS_RENAME);
}

void putOnClipboard(const std::string& text) {
    const std::wstring wide = toWide(text);
    OpenClipboard(nullptr);
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(data), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

}  // namespace

// 名单 made sound: a name of a hand-edited file told with its file and line,
// and OK refused until it is mended; a child renamed twice warns about the
// results of the name it had; Ctrl+V of two lines pastes them; two children
// swap names while a photo is held open: OK changes nothing and names the
// photo, and once it is free swaps their photos; Cancel of a change asks.
TEST_F(ControlDlgTest, TheClassListDoesAllOrNothingAndTellsNamesFromFiles) {
    dir.write("data\\_class.txt", "甲一\r\n乙二\r\n买买提·艾力\r\n");
    dir.write("data\\psn.txt", "甲一\r\n乙二\r\n");
    dir.write("data\\_records.csv", "计时赛,2026-11-03 10:00:00\r\n甲一,12340,0\r\n\r\n");
    copyDemo("data\\_face.jpg", "data\\甲一.jpg");
    const std::string photo = dir.read("data\\甲一.jpg");
    const std::string npsn = dir.read("data\\psn.txt"), nclass = dir.read("data\\_class.txt");
    withDialog([&](CControlDlg&, HWND w) {
        boxes.clear();
        whileModal([&] { clickButton(w, IDC_OPEN_CLASS_LIST); }, [&](HWND list) {
            ASSERT_EQ(boxes.boxes().size(), 1u);
            EXPECT_NE(boxes.boxes()[0].text.find("_class.txt 第 3 行 买买提·艾力：超过 11 个字节"), std::string::npos);
            clickButton(list, IDOK);
            EXPECT_NE(boxes.boxes().back().text.find("名单第 3 个 买买提·艾力：超过 11 个字节"), std::string::npos);
            selectChild(list, 2);
            clickButton(list, IDC_CLASS_REMOVE);
            boxes.setAnswer(IDYES);
            renameChild(list, 0, "丙三");
            renameChild(list, 1, "甲一");
            renameChild(list, 0, "乙二");
            EXPECT_EQ(std::count_if(boxes.boxes().begin(), boxes.boxes().end(), [](const CapturedBox& b) {
                          return b.text.find("“甲一”已经有比赛成绩") == 0;
                      }), 2);
            putOnClipboard("丁四\r\n戊五\r\n");
            holdControl(true);
            pressKey(GetDlgItem(list, IDC_CLASS_NAME), 'V');
            holdControl(false);
            EXPECT_EQ(cell(list, IDC_CLASS_CHILDREN, 3, 1), "戊五");
            HANDLE held = CreateFileA(dir.file("data\\甲一.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
            clickButton(list, IDOK);
            EXPECT_EQ(boxes.boxes().back().text.find("无法保存照片：\n" + dir.file("data\\甲一.jpg")), 0u);
            EXPECT_EQ(dir.read("data\\_class.txt") + dir.read("data\\psn.txt"), nclass + npsn);
            EXPECT_EQ(GetFileAttributesA(dir.file("data\\乙二.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
            CloseHandle(held);
            clickButton(list, IDOK);
        });
        EXPECT_EQ(dir.read("data\\乙二.jpg"), photo);
        EXPECT_EQ(GetFileAttributesA(dir.file("data\\甲一.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(dir.read("data\\_class.txt"), "乙二\r\n甲一\r\n丁四\r\n戊五\r\n");
        EXPECT_EQ(dir.read("data\\psn.txt"), "乙二\r\n甲一\r\n");
        whileModal([&] { clickButton(w, IDC_OPEN_CLASS_LIST); }, [&](HWND list) {
            SetDlgItemTextA(list, IDC_CLASS_NAME, "己六");
            clickButton(list, IDC_CLASS_ADD);
            boxes.setAnswer(IDNO);
            clickButton(list, IDCANCEL);
            EXPECT_EQ(boxes.boxes().back().text.find("放弃修改？"), 0u);
            EXPECT_TRUE(IsWindow(list));
            boxes.setAnswer(IDYES);
            clickButton(list, IDCANCEL);
        });
        EXPECT_EQ(dir.read("data\\_class.txt"), "乙二\r\n甲一\r\n丁四\r\n戊五\r\n");
    });
}
