// A whole race run on the real program: started on its own data folder,
// keys posted to the control dialog as the keyboard would send them, and the
// records file checked byte for byte apart from the time stamp and the
// measured times.
#include "core/TimeStamp.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The exe under test lives in bin/ of the same build tree as this program.
std::string builtExe() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\'));  // tests\e2e
    path = path.substr(0, path.find_last_of('\\'));  // tests
    path = path.substr(0, path.find_last_of('\\'));  // build root
    return path + "\\bin\\Trackvane.exe";
}

class RunningProgram {
public:
    explicit RunningProgram(const std::string& exe) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"";
        std::string dir = exe.substr(0, exe.find_last_of('\\'));
        started_ = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                                  &si, &pi_);
    }
    ~RunningProgram() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool started() const { return started_; }
    bool exitedWithin(DWORD ms) { return WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

HWND waitForWindow(const char* caption, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        if (HWND w = FindWindowA(nullptr, caption)) return w;
        Sleep(50);
    }
    return nullptr;
}

int listRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, 1005);
    return list ? (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : -1;
}

void key(HWND w, UINT vk) { PostMessageA(w, WM_KEYDOWN, vk, 1); }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

// Milliseconds in field 1 of a contestant line.
long timeOf(const std::string& line) {
    size_t a = line.find(',');
    return std::strtol(line.c_str() + a + 1, nullptr, 10);
}

TEST(RaceEndToEnd, AWholeRaceFromTheKeyboardLandsInTheRecordsFile) {
    ScratchFolder dir;
    const std::string exe = dir.file("Trackvane.exe");
    ASSERT_TRUE(CopyFileA(builtExe().c_str(), exe.c_str(), FALSE)) << builtExe();
    dir.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");

    RunningProgram program(exe);
    ASSERT_TRUE(program.started());
    HWND dlg = waitForWindow("Trackvane（计时赛）", 20000);
    ASSERT_NE(dlg, nullptr);
    for (int i = 0; i < 100 && listRows(dlg) != 3; ++i) Sleep(50);
    ASSERT_EQ(listRows(dlg), 3);

    key(dlg, VK_RETURN);
    key(dlg, '1');
    key(dlg, VK_NUMPAD2);
    Sleep(1500);
    key(dlg, '1');
    Sleep(1000);
    key(dlg, VK_OEM_PERIOD);

    std::string file;
    for (int i = 0; i < 100 && file.size() < 40; ++i) {
        Sleep(100);
        file = dir.read("data\\_records.csv");
    }
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.exitedWithin(10000));

    const std::vector<std::string> got = lines(file);
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

}  // namespace
