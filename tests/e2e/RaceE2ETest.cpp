// A whole race run on the real program: started on its own data folder,
// keys posted to the control dialog as the keyboard would send them, and the
// records file checked byte for byte apart from the time stamp and the
// measured times.
#include "core/Core.h"
#include "core/TextFields.h"
#include "core/TimeStamp.h"
#include "records/TimeText.h"
#include "race/RaceJournal.h"
#include "tests/e2e/ProgramDriver.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using e2e::ProgramDriver;

// Milliseconds in field 1 of a contestant line.
long timeOf(const std::string& line) {
    size_t a = line.find(',');
    return std::strtol(line.c_str() + a + 1, nullptr, 10);
}

TEST(RaceEndToEnd, AWholeRaceFromTheKeyboardLandsInTheRecordsFile) {
    ProgramDriver program;
    ASSERT_TRUE(program.exists("Trackvane.exe")) << e2e::builtExe();
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");

    ASSERT_TRUE(program.start());
    ASSERT_EQ(program.caption(), "Trackvane（计时赛）");
    program.waitUntil([&] { return program.listRows() == 3; }, 5000);
    ASSERT_EQ(program.listRows(), 3);

    program.key(VK_RETURN);
    program.key('1');
    program.key(VK_NUMPAD2);
    program.pause(1500);
    program.key('1');
    program.pause(1000);
    program.key(VK_OEM_PERIOD);

    std::string file;
    program.waitUntil(
        [&] {
            file = program.read("data\\_records.csv");
            return file.size() >= 40;
        },
        10000);
    EXPECT_TRUE(program.close().exitedByItself);

    const std::vector<std::string> got = e2e::crlfLines(file);
    ASSERT_EQ(got.size(), 5u) << file;
    ASSERT_EQ(got[0].substr(0, 7), "计时赛,");
    LocalTime stamp = {};
    EXPECT_TRUE(parseTimeStamp(got[0].substr(7), &stamp)) << got[0];
    // Times within 400 ms of the waits: posted keys are taken a moment late.
    EXPECT_EQ(got[1].substr(0, 5), "张伟,");
    EXPECT_NEAR(timeOf(got[1]), 1500, 400);
    EXPECT_EQ(got[1].substr(got[1].size() - 2), ",0");
    EXPECT_EQ(got[2].substr(0, 5), "李娜,");
    EXPECT_NEAR(timeOf(got[2]), 2500, 400);
    EXPECT_EQ(got[3], "王芳,8880000,0");
    EXPECT_EQ(got[4], "");
    EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");  // the empty closing line
}

// The keyboard of a nervous operator and of a presenter remote, on both
// windows of the real program, every key posted as the keyboard sends it.
TEST(RaceEndToEnd, HeldStrayAndMistakenKeysLoseNoRace) {
    const LPARAM held = 0x40000001, padWithoutNumLock = 0x00500001;
    const int kStatus = 1022, kOptions = 1002;
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");
    ASSERT_TRUE(program.start());
    HWND out = program.outputWindow();
    ASSERT_NE(out, nullptr);
    auto settled = [&] {
        program.settle();
        return program.itemText(kStatus);
    };
    // The audience window hands its keys on to the control dialog in a
    // message of its own, taken a moment later.
    auto becomes = [&](const std::string& status) {
        program.waitUntil([&] { return program.itemText(kStatus) == status; }, 3000);
        return program.itemText(kStatus);
    };

    // A held numpad 0: one race starts, nothing is written.
    program.key(VK_NUMPAD0);
    for (int i = 0; i < 10; ++i) program.keyTo(program.dialog(), VK_NUMPAD0, held);
    EXPECT_EQ(settled(), "比赛进行中");
    // Stray keys bring no box during a race; the pad's 2 with Num Lock off
    // starts clock 2.
    program.key(VK_SHIFT);
    program.key(VK_F5);
    program.keyTo(program.dialog(), VK_DOWN, padWithoutNumLock);
    program.pause(300);
    EXPECT_TRUE(program.boxes().empty());
    // Stop, a restart by mistake, Backspace: the stopped time comes back.
    program.key('1');
    program.pause(700);
    program.key('1');
    settled();
    const std::string stopped = program.listText(0, 2);
    program.key('1');
    program.pause(300);
    program.keyTo(out, VK_BACK);
    program.waitUntil([&] { return program.listText(0, 2) == stopped; }, 3000);
    EXPECT_EQ(program.listText(0, 2), stopped);
    // Full stop on the audience window ends the race: one block.
    program.keyTo(out, VK_OEM_PERIOD);
    EXPECT_EQ(becomes("比赛结束！"), "比赛结束！");
    std::string file;
    program.waitUntil([&] { return (file = program.read("data\\_records.csv")).size() > 40; }, 5000);
    std::vector<std::string> lines = e2e::crlfLines(file);
    ASSERT_EQ(lines.size(), 5u) << file;
    EXPECT_EQ(e2e::countOf(file, "计时赛,"), 1u);
    ASSERT_EQ(lines[1].substr(0, 5), "张伟,");
    const long ms = timeOf(lines[1]);
    char shown[16];
    std::snprintf(shown, sizeof shown, "%02ld'%02ld.%02ld\"", ms / 60000 % 60, ms / 1000 % 60, ms % 1000 / 10);
    EXPECT_EQ(shown, stopped) << lines[1];
    EXPECT_GT(timeOf(lines[2]), 0) << lines[2];
    EXPECT_EQ(lines[3], "王芳,8880000,0");

    // Enter on the audience window starts the next race; ended again.
    program.keyTo(out, VK_RETURN);
    EXPECT_EQ(becomes("比赛进行中"), "比赛进行中");
    program.keyTo(out, VK_NUMPAD0);
    EXPECT_EQ(becomes("比赛结束！"), "比赛结束！");
    file = program.read("data\\_records.csv");

    // Behind Options, numpad 0 on the audience window starts nothing, and
    // neither Cancel nor OK changes the race or the file.
    for (int button : {IDCANCEL, IDOK}) {
        program.click(kOptions);
        HWND options = nullptr;
        program.waitUntil([&] { return (options = program.dialogCalled("选项")) != nullptr; }, 5000);
        ASSERT_NE(options, nullptr);
        program.keyTo(out, VK_NUMPAD0);
        program.keyTo(out, VK_RETURN);
        program.pause(300);
        PostMessageA(options, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(options, button));
        program.waitUntil([&] { return program.dialogCalled("选项") == nullptr; }, 5000);
        EXPECT_NE(settled(), "比赛进行中");
        EXPECT_EQ(program.read("data\\_records.csv"), file);
    }
    EXPECT_TRUE(program.boxes().empty());
    // Written as a Chinese PC writes it, whatever the PC's code page.
    EXPECT_EQ(program.read("Trackvane.ini"),
              "[Trackvane]\r\nscoreInit=0\r\nscoreStep=1\r\nwidth=1280\r\nheight=720\r\nisZhangai=0\r\n"
              "raceTitle=校园趣味运动会\r\nclrStr=FFFFFFFF\r\nclrDigi=FFFFD54F\r\n");
    EXPECT_TRUE(program.close().clean());
}

// A program folder named in a script that neither code page 936 nor the
// system's code page has: every file is found through its real name, and a
// message that names one shows it as it is.
TEST(RaceEndToEnd, AProgramFolderNamedInAnotherScript) {
    const std::wstring folder = L"트랙베인";  // Hangul
    ProgramDriver program(folder);
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n");
    program.write("Trackvane.ini", "[Trackvane]\r\nisZhangai=1\r\n");
    ASSERT_TRUE(program.start());
    EXPECT_EQ(program.caption(), "Trackvane（障碍赛）");
    EXPECT_EQ(program.listText(1, 1), "李娜");
    const std::vector<std::string> lines = e2e::crlfLines(program.runShortRace());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "李娜,8880000,0");
    std::string picture;
    program.exportBoards(&picture);
    EXPECT_FALSE(picture.empty());
    ASSERT_FALSE(program.boxes().empty());
    EXPECT_NE(program.boxes().back().wide.find(L"\\" + folder + L"\\data\\export\\"), std::wstring::npos);
    EXPECT_TRUE(program.close().clean());
}

std::string journalOf(const ProgramDriver& p) { return p.read("data\\_race-journal.txt"); }

// Tick of the journal's first line of this kind for contestant n.
long journalTick(const std::string& journal, const std::string& kind, int n) {
    const std::string line = kind + "," + std::to_string(n) + ",tick=";
    const size_t at = journal.find(line);
    return at == std::string::npos ? -1 : std::strtol(journal.c_str() + at + line.size(), nullptr, 10);
}

// The program dies in the middle of a race (TerminateProcess: no chance to
// save anything); started again, it offers the race back.
TEST(RaceEndToEnd, ARaceSurvivesTheProgramsDeath) {
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");
    ASSERT_TRUE(program.start());

    // Killed, then No to the question: nothing written, the journal kept aside.
    program.key(VK_RETURN);
    program.key('1');
    program.pause(300);
    program.key('1');
    program.settle();
    program.kill();
    const std::string declined = journalOf(program);
    ASSERT_FALSE(declined.empty());
    ASSERT_TRUE(program.start());  // the driver answers No
    ASSERT_TRUE(program.waitForBox("要恢复这场比赛吗"));
    program.settle();
    EXPECT_EQ(program.itemText(1022), "就绪");
    EXPECT_EQ(program.read("data\\_records.csv"), "");
    EXPECT_FALSE(program.exists("data\\_race-journal.txt"));
    bool kept = false;
    for (const std::string& f : program.listFiles())
        kept = kept || (f.find("data\\_race-journal-") != std::string::npos &&
                        f.find(" " + std::to_string(declined.size())) != std::string::npos);
    EXPECT_TRUE(kept);

    // Killed again, and Yes: the race comes back.
    program.clearBoxes();
    program.key(VK_RETURN);
    program.key('1');
    program.key('2');
    program.pause(800);
    program.key('1');
    program.settle();
    const std::string stopped = program.listText(0, 2);
    const DWORD secondStarted = GetTickCount() - 800;
    program.pause(300);
    program.kill();

    const std::string journal = journalOf(program);
    ASSERT_NE(journal.find("start,2,"), std::string::npos) << journal;
    const long stoppedMs = journalTick(journal, "stop", 1) - journalTick(journal, "start", 1);
    program.setAnswer([](const e2e::ShownBox& box) {
        return box.text.find("要恢复这场比赛吗") != std::string::npos ? IDYES : IDOK;
    });
    program.pause(1000);  // the program stays dead a moment
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForBox("要恢复这场比赛吗"));
    EXPECT_NE(program.boxes()[0].text.find("已停表：1 人；仍在计时：1 人"), std::string::npos)
        << program.boxes()[0].text;
    program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 5000);
    EXPECT_EQ(program.itemText(1022), "比赛进行中");
    EXPECT_EQ(program.listText(0, 2), stopped);
    EXPECT_EQ(program.listText(0, 1), "张伟");

    program.key(VK_OEM_PERIOD);
    std::string file;
    program.waitUntil([&] { return (file = program.read("data\\_records.csv")).size() > 40; }, 5000);
    const DWORD secondRan = GetTickCount() - secondStarted;
    const std::vector<std::string> lines = e2e::crlfLines(file);
    ASSERT_EQ(lines.size(), 5u) << file;
    EXPECT_EQ(lines[1], "张伟," + std::to_string(stoppedMs) + ",0");
    // Counted from its first start, through the time the program was down.
    EXPECT_EQ(lines[2].substr(0, 5), "李娜,");
    EXPECT_NEAR(timeOf(lines[2]), (long)secondRan, 1500) << lines[2];
    EXPECT_EQ(lines[3], "王芳,8880000,0");
    // The journal goes right after the block is on the disk.
    EXPECT_TRUE(program.waitUntil([&] { return !program.exists("data\\_race-journal.txt"); }, 3000));
    EXPECT_TRUE(program.close().clean());

    // Started again after that, it asks nothing.
    program.clearBoxes();
    ASSERT_TRUE(program.start());
    program.pause(500);
    EXPECT_TRUE(program.boxes().empty());
    EXPECT_EQ(program.read("data\\_records.csv"), file);
    EXPECT_TRUE(program.close().clean());
}

// The full stop ends the race running on the program: one block is written,
// and the program closes cleanly.
void endsWithOneBlock(ProgramDriver& program) {
    program.key(VK_OEM_PERIOD);
    program.waitUntil([&] { return program.read("data\\_records.csv").size() > 20; }, 5000);
    EXPECT_EQ(e2e::countOf(program.read("data\\_records.csv"), "计时赛,"), 1u);
    EXPECT_TRUE(program.close().clean());
}

// Alt+Space typed on the real keyboard: outside a race it opens the control
// dialog's system menu; during one it must not, since the menu's own loop
// would eat the race keys that follow.
// The keys pressed in order on the real keyboard, then let go in reverse.
void typeKeys(std::vector<WORD> keys) {
    std::vector<INPUT> in(2 * keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        in[i].type = in[in.size() - 1 - i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = in[in.size() - 1 - i].ki.wVk = keys[i];
        in[in.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
}

bool altSpaceOpensTheSystemMenu(ProgramDriver& program) {
    SetForegroundWindow(program.dialog());
    program.settle();
    typeKeys({VK_MENU, VK_SPACE});
    const auto menuShown = [] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; };
    const bool open = program.waitUntil(menuShown, 1500);
    if (open) typeKeys({VK_ESCAPE});
    program.waitUntil([&] { return !menuShown(); }, 1500);
    return open;
}

// A race started with the mouse leaves the focus on its button: Space there,
// or on 开启输出, must neither end the race nor hide the scoreboard; nor may
// the system keys open a menu.
TEST(RaceEndToEnd, SpaceOnAFocusedButtonDoesNothingDuringARace) {
    const int kRace = 1004, kEnableOutput = 1001;
    const LPARAM spaceDown = 0x00390001, spaceUp = (LPARAM)0xC0390001;
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n");
    ASSERT_TRUE(program.start());
    EXPECT_TRUE(altSpaceOpensTheSystemMenu(program));  // outside a race it does
    program.mouseClick(kRace);
    program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 3000);
    for (int id : {kRace, kEnableOutput}) {
        HWND button = GetDlgItem(program.dialog(), id);
        program.keyTo(button, VK_SPACE, spaceDown);
        program.keyTo(button, VK_SPACE, spaceUp, WM_KEYUP);
        program.settle();
        EXPECT_EQ(program.itemText(1022), "比赛进行中") << id;
        EXPECT_TRUE(IsWindowVisible(program.outputWindow())) << id;
    }
    EXPECT_FALSE(altSpaceOpensTheSystemMenu(program));
    program.key('1');
    EXPECT_TRUE(program.waitUntil([&] { return program.listText(0, 2) != "00'00.00\""; }, 3000));
    EXPECT_EQ(program.read("data\\_records.csv"), "");
    endsWithOneBlock(program);
}

// The operator starts the exe again while a race runs behind the projector
// picture: the running copy comes to the front and nothing else happens.
TEST(RaceEndToEnd, ASecondCopyOnTheSameFolderBringsTheFirstForwardAndTouchesNothing) {
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n");
    ASSERT_TRUE(program.start());
    program.key(VK_RETURN);
    program.key('1');
    program.settle();
    ShowWindow(program.dialog(), SW_MINIMIZE);
    const std::vector<std::string> files = program.listFiles();
    const std::string journal = journalOf(program);

    EXPECT_EQ(program.startAnotherCopy(), 0u);
    EXPECT_FALSE(IsIconic(program.dialog()));
    EXPECT_EQ(GetForegroundWindow(), program.dialog());
    EXPECT_EQ(program.listFiles(), files);
    EXPECT_EQ(journalOf(program), journal);
    EXPECT_TRUE(program.boxes().empty());
    // A copy on another folder runs beside it.
    ProgramDriver other;
    ASSERT_TRUE(other.start());
    EXPECT_TRUE(other.close().clean());

    endsWithOneBlock(program);
}

// '7' with a roster of three changes nothing, so Backspace undoes the stop
// before it, and the race comes back after a crash exactly as it was undone.
TEST(RaceEndToEnd, AKeyBeyondTheRosterEntersNeitherTheJournalNorTheUndo) {
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");
    ASSERT_TRUE(program.start());
    program.key(VK_RETURN);
    program.key('1');
    program.pause(1500);
    program.key('1');
    program.key('7');
    program.key(VK_BACK);
    std::string journal;
    program.waitUntil([&] { return (journal = journalOf(program)).find("undo,") != std::string::npos; }, 3000);
    EXPECT_EQ(journal.find(",7,"), std::string::npos) << journal;
    EXPECT_NE(journal.find("undo,1,"), std::string::npos) << journal;
    const auto running = [&] {
        const std::string before = program.listText(0, 2);
        program.pause(400);
        return program.listText(0, 2) != before;
    };
    EXPECT_TRUE(running());
    program.kill();
    program.setAnswer([](const e2e::ShownBox&) { return IDYES; });
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForBox("已停表：0 人；仍在计时：1 人"));
    program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 5000);
    EXPECT_TRUE(running());
    EXPECT_TRUE(program.close().exitedByItself);
}

std::string utf16le(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) bytes += {(char)(c & 0xFF), (char)(c >> 8)};
    return bytes;
}

// A journal the program left behind, read as the records file and the
// journal's own bytes decide.
TEST(RaceEndToEnd, JournalsLeftBehindAreNeverLostAndReadWhateverTheirLineEnds) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const int64_t now = toSerialMs(LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, 0);
    Contestant table[MAX_CONTESTANTS] = {};
    fitName("张伟", table[0].name);
    fitName("李娜", table[1].name);
    std::string race;
    for (const std::string& line : journalRaceLines("计时赛", 0, 0, now - 60000, table, 2, {1000, now - 60000}))
        race += line + "\r\n";
    race += journalClockLine(ClockAction::Start, 0, {2000, now - 59000}) + "\r\n";
    race += journalClockLine(ClockAction::Stop, 0, {4500, now - 56500}) + "\r\n";
    const std::string journalName = "data\\_race-journal.txt";

    // Held by another program, so it cannot be moved aside: after No it is
    // kept under its own name, which the operator is told, and never removed,
    // nor written over by a race that goes without a journal, whose end is
    // taken back once the other program has let go.
    {
        ProgramDriver program;
        program.write(journalName, race);
        HANDLE held = CreateFileW(program.widePath(journalName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        program.setAnswer([](const e2e::ShownBox& box) {
            if (!box.hasNo) return IDOK;
            return box.text.find("撤销结束") != std::string::npos ? IDYES : IDNO;
        });
        ASSERT_TRUE(program.start());
        EXPECT_TRUE(program.waitForBox("要恢复这场比赛吗"));
        EXPECT_TRUE(program.waitForBox("仍保留为：\n" + program.path(journalName)));
        program.key(VK_RETURN);
        EXPECT_TRUE(program.waitForBox("这场比赛不记录过程"));
        CloseHandle(held);
        program.key(VK_NUMPAD0);
        program.waitUntil([&] { return program.itemText(1022) == "比赛结束！"; }, 3000);
        program.key(VK_BACK);
        EXPECT_TRUE(program.waitForBox("撤销结束"));
        program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 3000);
        EXPECT_EQ(program.read(journalName), race);
        program.key(VK_NUMPAD0);
        EXPECT_TRUE(program.close().clean());
        EXPECT_EQ(program.read(journalName), race);
    }
    // Its race already in a records file saved as "Unicode": removed unasked.
    {
        ProgramDriver program;
        const std::string stamp = formatTimeStamp(fromSerialSeconds(now / 1000 - 10));
        program.write("data\\psn.txt", "张伟\r\n李娜\r\n");
        program.write(journalName, race + journalEndLine(stamp, {9000, now - 10000}) + "\r\n");
        program.write("data\\_records.csv", utf16le(L"计时赛," + std::wstring(stamp.begin(), stamp.end()) +
                                                     L"\r\n张伟,2500,0\r\n李娜,8880000,0\r\n\r\n"));
        ASSERT_TRUE(program.start());
        program.settle();
        EXPECT_TRUE(program.boxes().empty());
        EXPECT_FALSE(program.exists(journalName));
        EXPECT_TRUE(program.close().clean());
    }
    // Lines ended by a CR alone read as with CR LF: Yes gives the race back.
    {
        ProgramDriver program;
        std::string crOnly;
        for (char c : race) if (c != '\n') crOnly += c;
        program.write(journalName, crOnly);
        program.setAnswer([](const e2e::ShownBox&) { return IDYES; });
        ASSERT_TRUE(program.start());
        EXPECT_TRUE(program.waitForBox("已停表：1 人；仍在计时：0 人"));
        program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 5000);
        EXPECT_EQ(program.listText(0, 2), "00'02.50\"");
        EXPECT_TRUE(program.close().exitedByItself);
    }
}

// Numpad 0 pressed twice ends a race while children still run: the end is
// taken back and the race runs on, and the list always shows the file's times.
TEST(RaceEndToEnd, AnEndedRaceIsTakenBackWhileItsBlockIsTheFilesLast) {
    ProgramDriver program;
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n");
    ASSERT_TRUE(program.start());
    program.setAnswer([](const e2e::ShownBox& box) {
        return box.text.find("撤销结束") != std::string::npos ? IDYES : IDOK;
    });
    const auto ended = [&] {
        std::string file;
        program.waitUntil([&] { return (file = program.read("data\\_records.csv")).size() > 40; }, 5000);
        program.waitUntil([&] { return program.itemText(1022) == "比赛结束！"; }, 3000);
        return file;
    };
    program.key(VK_RETURN);
    program.key('1');
    program.key('2');
    program.pause(600);
    program.key('1');
    program.key(VK_NUMPAD0);
    const std::string first = ended();
    std::vector<std::string> lines = e2e::crlfLines(first);
    ASSERT_EQ(lines.size(), 4u) << first;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(program.listText(i, 2), formatTime((uint32_t)timeOf(lines[i + 1]))) << lines[i + 1];
    const std::string stopped = program.listText(0, 2);

    program.key(VK_BACK);
    ASSERT_TRUE(program.waitForBox("比赛已结束。撤销结束，继续这场比赛？"));
    program.waitUntil([&] { return program.itemText(1022) == "比赛进行中"; }, 3000);
    EXPECT_EQ(program.read("data\\_records.csv"), "");
    EXPECT_EQ(program.listText(0, 2), stopped);
    program.pause(400);
    EXPECT_GT(program.listText(1, 2), formatTime((uint32_t)timeOf(lines[2]))) << "runs on from its start";
    program.key(VK_OEM_PERIOD);
    const std::string second = ended();
    EXPECT_EQ(e2e::countOf(second, "计时赛,"), 1u);
    EXPECT_EQ(e2e::crlfLines(second)[1], lines[1]);

    // Changed since the end: refused, nothing changes.
    program.write("data\\_records.csv", second + "x");
    program.clearBoxes();
    program.key(VK_BACK);
    ASSERT_TRUE(program.waitForBox("被修改过"));
    EXPECT_EQ(program.itemText(1022), "比赛结束！");
    EXPECT_EQ(program.read("data\\_records.csv"), second + "x");
    EXPECT_TRUE(program.close().clean());
}

// 名单 before the first races of a class: the class typed in (Enter takes
// a name too; a name twice is refused), a heat taken with 下一组 and kept,
// then the next from the top; a roster that cannot be written changes
// nothing. psn.txt, saved by Notepad as UTF-8, stays so. A child with
// results in a records file a spreadsheet saved is renamed only after a word.
TEST(RaceEndToEnd, TheClassListTakesHeatsOfEightInClassOrder) {
    const int kClassList = 1010, kChildren = 1201, kName = 1202, kAdd = 1203, kRename = 1204, kNextHeat = 1209;
    const std::string mark = "\xEF\xBB\xBF";
    ProgramDriver program;
    program.write("data\\psn.txt", mark + CCore().ansiToUtf8("张伟\r\n李娜\r\n"));
    program.write("data\\_records.csv", mark + CCore().ansiToUtf8("计时赛,2026/3/2 10:05\r\n张伟,10420,0\r\n\r\n"));
    ASSERT_TRUE(program.start());
    const auto press = [&](HWND dlg, int id) {
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
        program.settle();
    };
    const auto openClassList = [&] {
        program.click(kClassList);
        HWND dlg = nullptr;
        program.waitUntil([&] { return (dlg = program.dialogCalled("名单")) != nullptr; }, 5000);
        return dlg;
    };
    HWND dlg = openClassList();
    ASSERT_NE(dlg, nullptr);
    program.keyTo(GetDlgItem(dlg, kChildren), VK_HOME);
    SendMessageW(GetDlgItem(dlg, kName), WM_SETTEXT, 0, (LPARAM)L"张小伟");
    press(dlg, kRename);
    EXPECT_TRUE(program.waitForBox("以前的成绩仍记在原来的名字“张伟”下"));  // and No
    const char* const typed[] = {"王芳", "刘洋", "陈静", "赵磊", "杨洋", "黄蕾", "周杰", "吴敏", "王芳 "};
    for (const char* name : typed) {
        SendMessageW(GetDlgItem(dlg, kName), WM_SETTEXT, 0, (LPARAM)toWide(name).c_str());
        if (name == typed[1]) program.keyTo(GetDlgItem(dlg, kName), VK_RETURN);
        else press(dlg, kAdd);
        program.settle();
    }
    EXPECT_TRUE(program.waitForBox("不能使用“王芳”这个名字"));
    press(dlg, kNextHeat);
    press(dlg, IDOK);
    const std::string second = "王芳\r\n刘洋\r\n陈静\r\n赵磊\r\n杨洋\r\n黄蕾\r\n周杰\r\n吴敏\r\n";
    const std::string wholeClass = "张伟\r\n李娜\r\n" + second;
    EXPECT_EQ(program.read("data\\_class.txt"), wholeClass);
    EXPECT_EQ(program.read("data\\psn.txt"), mark + CCore().ansiToUtf8(second));
    program.waitUntil([&] { return program.listRows() == 8; }, 3000);
    EXPECT_EQ(program.listText(7, 1), "吴敏");

    // After the class's last child, from the top again. Then the roster is
    // held by another program: OK says so by name and the class file stays
    // as it was, as after Cancel.
    ASSERT_NE(dlg = openClassList(), nullptr);
    press(dlg, kNextHeat);
    press(dlg, IDOK);
    HANDLE held = CreateFileW(program.widePath("data\\psn.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(dlg = openClassList(), nullptr);
    SendMessageW(GetDlgItem(dlg, kName), WM_SETTEXT, 0, (LPARAM)L"孙丽");
    press(dlg, kAdd);
    press(dlg, kNextHeat);
    press(dlg, IDOK);
    EXPECT_TRUE(program.waitForBox("无法保存比赛名单：\n" + program.path("data\\psn.txt")));
    program.setAnswer([](const e2e::ShownBox& box) { return box.hasYes ? IDYES : IDOK; });
    press(dlg, IDCANCEL);
    EXPECT_TRUE(program.waitForBox("放弃修改？"));
    CloseHandle(held);
    const std::string third = "张伟\r\n李娜\r\n王芳\r\n刘洋\r\n陈静\r\n赵磊\r\n杨洋\r\n黄蕾\r\n";
    EXPECT_EQ(program.read("data\\psn.txt"), mark + CCore().ansiToUtf8(third));
    EXPECT_EQ(program.read("data\\_class.txt"), wholeClass);
    EXPECT_EQ(program.listRows(), 8);
    EXPECT_EQ(program.listText(0, 1) + program.listText(7, 1), "张伟黄蕾");
    EXPECT_EQ(program.boxes().size(), 4u);
    EXPECT_TRUE(program.close().clean());
}

}  // namespace

namespace {

// 学期成绩 from 成绩管理 on the real program: pages shaped like an A4 sheet,
// a chart for every child drawn on them, and the table beside them.
TEST(RaceEndToEnd, TheTermPageHasAChartForEveryChild) {
    ProgramDriver program;
    program.write("data\\_records.csv",
                  "计时赛,2026-11-03 10:00:00\r\n张伟,12340,0\r\n李娜,11000,0\r\n王芳,13000,0\r\n刘洋,8880000,0\r\n\r\n"
                  "计时赛,2026-11-10 10:00:00\r\n张伟,11000,0\r\n李娜,11500,0\r\n刘洋,12000,0\r\n\r\n");
    ASSERT_TRUE(program.start());
    HWND results = nullptr, term = nullptr;
    program.click(1009);
    program.waitUntil([&] { return (results = program.dialogCalled("成绩管理")) != nullptr; }, 5000);
    program.click(1108, results);
    ASSERT_TRUE(program.waitUntil([&] { return (term = program.dialogCalled("学期成绩")) != nullptr; }, 5000));
    program.setText(term, 1121, "2026-11-02");
    program.setText(term, 1122, "2026-11-15");
    program.click(1125, term);
    ASSERT_TRUE(program.waitForBox("已导出到"));
    const std::string name = "data\\export\\学期_2026-11-02_2026-11-15";
    EXPECT_EQ(program.boxes().back().text,
              "已导出到：\n" + program.path(name + "_1.png") + "\n" + program.path(name + ".csv") + "\n");

    // An A4 sheet standing up, at 150 dots an inch: four children on one page.
    e2e::Pixels page;
    ASSERT_TRUE(e2e::readPicture(program.path(name + "_1.png"), &page));
    EXPECT_EQ(page.width, 1240);
    EXPECT_EQ(page.height, 1754);
    EXPECT_FALSE(program.exists(name + "_2.png"));
    // The children's lines and points in blue, the class's median in grey.
    EXPECT_GT(std::count(page.argb.begin(), page.argb.end(), 0xFF1565C0u), 400);
    EXPECT_GT(std::count(page.argb.begin(), page.argb.end(), 0xFF9E9E9Eu), 400);
    const std::string table = program.read(name + ".csv");
    EXPECT_EQ(table.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(CCore().textToAnsi(table).find("\r\n张伟,2,\"00'12.34\"\"\",\"00'11.00\"\"\",1.34,"), std::string::npos);

    program.click(IDCANCEL, term);
    program.click(IDCANCEL, results);
    EXPECT_TRUE(program.close().clean());
}

}  // namespace

namespace {

void putOnClipboard(const std::string& text) {
    const std::wstring wide = toWide(text);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(data), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

// The drop-down list 班级 of the control dialog, item `index` chosen.
void chooseClass(ProgramDriver& program, int index) {
    HWND combo = GetDlgItem(program.dialog(), 1011);
    SendMessageW(combo, CB_SETCURSEL, (WPARAM)index, 0);
    PostMessageW(program.dialog(), WM_COMMAND, MAKEWPARAM(1011, CBN_SELCHANGE), (LPARAM)combo);
    program.settle();
}

std::string comboItems(HWND combo) {
    std::string items;
    for (int i = 0; i < (int)SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
        items += wideToAnsi(text) + "|";
    }
    return items;
}

}  // namespace

// A teacher's second class: made with 新建班级… (names a folder cannot take
// refused with their reasons), pasted from a spreadsheet (its heading
// skipped, a name too long told with its line), its first eight the heat, a
// race written to its own records file while the first class's keeps its
// bytes, the list closed during a race, renamed in 名单, back to the first
// class, and the class open again at the next start.
TEST(RaceEndToEnd, EveryClassInAFolderOfItsOwn) {
    ProgramDriver program;
    const std::string firstRecords = "计时赛,2026-11-03 10:00:00\r\n张伟,12340,0\r\n\r\n";
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n");
    program.write("data\\_records.csv", firstRecords);
    ASSERT_TRUE(program.start());
    HWND combo = GetDlgItem(program.dialog(), 1011);
    EXPECT_EQ(comboItems(combo), "本班|新建班级…|");

    chooseClass(program, 1);
    HWND made = nullptr;
    ASSERT_TRUE(program.waitUntil([&] { return (made = program.dialogCalled("新建班级")) != nullptr; }, 5000));
    const std::pair<const char*, const char*> refused[] = {
        {"CON.txt", "设备名"}, {"三年级/2班", "不能有 \\ / : * ? \" < > | 这类字符"}, {" 本班", "已经有叫这个名字的班级了"},
        {"export", "数据文件夹自己要用的名字"}};
    for (const auto& [name, why] : refused) {
        program.setText(made, 1231, name);
        program.click(IDOK, made);
        EXPECT_TRUE(program.waitForBox(why)) << name;
    }
    program.setText(made, 1231, "三年级2班 ");
    program.click(IDOK, made);
    HWND list = nullptr;
    ASSERT_TRUE(program.waitUntil([&] { return (list = program.dialogCalled("名单")) != nullptr; }, 5000));
    std::string sheet = "姓名\t性别\r\n";
    const char* const names[] = {"刘一", "陈二", "张三", "李四", "王五", "赵六", "孙七", "周八", "吴九"};
    for (int i = 0; i < 9; ++i) sheet += std::string(names[i]) + "\t" + (i % 2 ? "女" : "男") + "\r\n";
    sheet.insert(sheet.find("陈二"), "欧阳诸葛司马\t男\r\n\r\n");
    putOnClipboard(sheet);
    program.click(1213, list);
    EXPECT_TRUE(program.waitForBox("已添加 9 人。以下名字没有添加：\n\n第 3 行 欧阳诸葛司马：超过 11 个字节"));
    program.click(IDOK, list);
    program.waitUntil([&] { return program.listRows() == 8; }, 3000);
    EXPECT_EQ(program.listText(0, 1) + program.listText(7, 1), "刘一周八");
    const std::string folder = "data\\班级\\三年级2班\\";
    EXPECT_EQ(program.read(folder + "_class.txt").substr(0, 18), "刘一,男\r\n陈二,女\r\n");
    EXPECT_EQ(program.read(folder + "psn.txt").substr(0, 12), "刘一\r\n陈二\r\n");
    EXPECT_EQ(comboItems(combo), "本班|三年级2班|新建班级…|");

    program.key(VK_RETURN);
    program.settle();
    EXPECT_FALSE(IsWindowEnabled(combo));
    program.key('1');
    program.settle();
    program.key(VK_OEM_PERIOD);
    program.waitUntil([&] { return program.read(folder + "_records.csv").size() > 0; }, 5000);
    EXPECT_NE(program.read(folder + "_records.csv").find("\r\n刘一,"), std::string::npos);
    EXPECT_EQ(program.read("data\\_records.csv"), firstRecords);
    program.settle();
    EXPECT_TRUE(IsWindowEnabled(combo));

    // Renamed in 名单: refused as another class's name, then its folder renamed.
    program.click(1010);
    ASSERT_TRUE(program.waitUntil([&] { return (list = program.dialogCalled("名单")) != nullptr; }, 5000));
    program.setText(list, 1214, "本班");
    program.click(IDOK, list);
    EXPECT_TRUE(program.waitForBox("已经有叫这个名字的班级了"));
    program.setText(list, 1214, "三年级二班");
    program.click(IDOK, list);
    program.waitUntil([&] { return !program.dialogCalled("名单"); }, 5000);
    EXPECT_FALSE(program.exists(folder + "_records.csv"));
    EXPECT_NE(program.read("data\\班级\\三年级二班\\_records.csv").find("\r\n刘一,"), std::string::npos);
    EXPECT_EQ(comboItems(combo), "本班|三年级二班|新建班级…|");

    chooseClass(program, 0);
    program.waitUntil([&] { return program.listRows() == 2; }, 3000);
    EXPECT_EQ(program.listText(0, 1), "张伟");
    chooseClass(program, 1);
    program.waitUntil([&] { return program.listRows() == 8; }, 3000);
    EXPECT_TRUE(program.close().clean());
    ASSERT_TRUE(program.start());
    EXPECT_EQ(program.listText(0, 1), "刘一");
    EXPECT_EQ(comboItems(GetDlgItem(program.dialog(), 1011)), "本班|三年级二班|新建班级…|");
    EXPECT_EQ(SendMessageW(GetDlgItem(program.dialog(), 1011), CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(program.close().clean());
}

namespace {

void chooseIn(ProgramDriver& program, HWND dialog, int combo, int index) {
    SendMessageW(GetDlgItem(dialog, combo), CB_SETCURSEL, (WPARAM)index, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, combo));
    program.settle();
}

// Pixels of exactly that colour in rows [top, bottom) of a picture.
long colourInRows(const e2e::Pixels& page, uint32_t argb, int top, int bottom) {
    return std::count(page.argb.begin() + (size_t)top * page.width, page.argb.begin() + (size_t)bottom * page.width,
                      argb);
}

}  // namespace

// 性别 in the class list and what comes of it: read from a UTF-8 class file,
// set in 名单 and written back in the file's encoding; the term board of the
// boys; 奖状 cancelled writes nothing; the term's three stars of progress (a
// boy, two girls; the boy who lost time none) and the week's champions (a
// boy and a girl) as pages of an A4 sheet lying down, the honour drawn at the
// top in its colour and the name below it.
TEST(RaceEndToEnd, BoysAndGirlsAndTheirCertificates) {
    ProgramDriver program;
    const LocalTime now = CCore().getTimeNow();
    const std::string earlier = formatTimeStamp(fromSerialSeconds(toSerialSeconds(now) - 14 * SECONDS_PER_DAY));
    const std::string thisWeek = formatTimeStamp(fromSerialSeconds(toSerialSeconds(weekWindowStart(now)) + 60));
    program.write("data\\_class.txt", "\xEF\xBB\xBF" + CCore().ansiToUtf8("张伟,男\r\n李娜,女\r\n王芳\r\n刘洋,男\r\n"));
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n刘洋\r\n");
    program.write("data\\_records.csv", "计时赛," + earlier + "\r\n张伟,12000,0\r\n李娜,11000,0\r\n王芳,13000,0\r\n刘洋,12500,0\r\n\r\n"
                                        "计时赛," + thisWeek + "\r\n张伟,11000,0\r\n李娜,10500,0\r\n王芳,12000,0\r\n刘洋,12600,0\r\n\r\n");
    ASSERT_TRUE(program.start());
    program.click(1010);
    HWND list = nullptr;
    ASSERT_TRUE(program.waitUntil([&] { return (list = program.dialogCalled("名单")) != nullptr; }, 5000));
    program.keyTo(GetDlgItem(list, 1201), VK_HOME);
    program.keyTo(GetDlgItem(list, 1201), VK_DOWN);
    program.keyTo(GetDlgItem(list, 1201), VK_DOWN);
    chooseIn(program, list, 1216, 1);  // 女
    program.click(IDOK, list);
    program.waitUntil([&] { return !program.dialogCalled("名单"); }, 5000);
    EXPECT_EQ(program.read("data\\_class.txt"),
              "\xEF\xBB\xBF" + CCore().ansiToUtf8("张伟,男\r\n李娜,女\r\n王芳,女\r\n刘洋,男\r\n"));

    HWND results = nullptr, term = nullptr, awards = nullptr;
    program.click(1009);
    ASSERT_TRUE(program.waitUntil([&] { return (results = program.dialogCalled("成绩管理")) != nullptr; }, 5000));
    program.click(1108, results);
    ASSERT_TRUE(program.waitUntil([&] { return (term = program.dialogCalled("学期成绩")) != nullptr; }, 5000));
    chooseIn(program, term, 1128, 1);  // 男
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(term, 1123)), 2);
    chooseIn(program, term, 1128, 0);
    program.click(1129, term);
    ASSERT_TRUE(program.waitUntil([&] { return (awards = program.dialogCalled("奖状")) != nullptr; }, 5000));
    program.click(IDCANCEL, awards);
    program.settle();
    const std::string folder = "data\\export\\奖状_" + formatDate(now) + "\\";
    EXPECT_FALSE(program.exists(folder));
    program.click(1129, term);
    ASSERT_TRUE(program.waitUntil([&] { return (awards = program.dialogCalled("奖状")) != nullptr; }, 5000));
    program.setText(awards, 1241, "阳光小学");
    program.setText(awards, 1242, "王老师");
    program.click(IDOK, awards);
    ASSERT_TRUE(program.waitForBox("已生成 3 张奖状，保存在：\n" + program.path(folder), 30000));
    for (const char* name : {"张伟", "李娜", "王芳"}) EXPECT_TRUE(program.exists(folder + name + "_进步之星.png")) << name;
    EXPECT_FALSE(program.exists(folder + "刘洋_进步之星.png"));

    e2e::Pixels page;
    ASSERT_TRUE(e2e::readPicture(program.path(folder + "张伟_进步之星.png"), &page));
    EXPECT_EQ(page.width, 3508);
    EXPECT_EQ(page.height, 2480);
    EXPECT_GT(colourInRows(page, 0xFFC62828, 250, 600), 20000) << "the honour, in its colour, at the top";
    EXPECT_EQ(colourInRows(page, 0xFFC62828, 600, 2300), 0);
    EXPECT_GT(colourInRows(page, 0xFF212121, 600, 1050), 40000) << "the name below it, larger";

    program.click(IDCANCEL, term);
    program.settle();
    program.click(1109, results);
    ASSERT_TRUE(program.waitUntil([&] { return (awards = program.dialogCalled("奖状")) != nullptr; }, 5000));
    program.click(IDOK, awards);
    ASSERT_TRUE(program.waitForBox("已生成 2 张奖状", 30000));
    EXPECT_TRUE(program.exists(folder + "张伟_本周冠军.png"));
    EXPECT_TRUE(program.exists(folder + "李娜_本周冠军.png"));
    program.click(IDCANCEL, results);
    EXPECT_TRUE(program.close().clean());
}
