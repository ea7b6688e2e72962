// Runs the real control dialog (and so the output window it owns) on a data
// folder of the test's own, with message boxes captured and a fake tick.
#pragma once

#include "core/Core.h"
#include "framework/App.h"
#include "output/OutputWnd.h"
#include "race/ControlDlg.h"
#include "core/RaceState.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include "res/resource.h"

// Runs `click` (which opens a modal dialog) with `script` acting inside it.
inline void whileModal(std::function<void()> click, std::function<void(HWND)> script) {
    runModalImpl([&] {
        click();
        return (INT_PTR)0;
    }, std::move(script));
}

// The notification a double-click on a row of the contestant list sends.
inline void doubleClickRow(HWND dialog, int row) {
    NMITEMACTIVATE item = {};
    item.hdr.hwndFrom = GetDlgItem(dialog, IDC_CONTESTANT_LIST);
    item.hdr.idFrom = IDC_CONTESTANT_LIST;
    item.hdr.code = NM_DBLCLK;
    item.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, IDC_CONTESTANT_LIST, (LPARAM)&item);
}

// A cell of a list view of this process.
inline std::string cell(HWND dialog, int list, int row, int column) {
    CListCtrl view;
    view.m_hWnd = GetDlgItem(dialog, list);
    const std::string text = view.GetItemText(row, column);
    view.m_hWnd = nullptr;
    return text;
}

class RaceWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("data\\psn.txt", "张伟\r\n李娜\r\n\r\n王芳\r\n");
        CCore::setAppPathOverride(dir.path());
    }
    void TearDown() override { CCore::setAppPathOverride(""); }

    // Runs the dialog until its output window is up, hands it to `body`, and
    // closes it whatever the body did.
    void withDialog(std::function<void(CControlDlg&, HWND)> body) {
        CControlDlg dlg;
        AfxGetApp()->m_pMainWnd = &dlg;
        runModal(dlg, [&](HWND) {
            HWND w = dlg.m_hWnd;
            if (pumpUntil([] { return outputWnd != nullptr; })) body(dlg, w);
            else ADD_FAILURE() << "the output window never came up";
            // A race still running is closed without being kept.
            if (raceRunning) boxes.setAnswer(IDNO);
            if (IsWindow(w)) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        });
        AfxGetApp()->m_pMainWnd = nullptr;
    }

    // The demo pictures that the build draws beside the exe.
    static std::string demoFile(const std::string& name) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string path = self;
        for (int up = 0; up < 3; ++up) path = path.substr(0, path.find_last_of('\\'));
        return path + "\\bin\\" + name;
    }
    void copyDemo(const std::string& from, const std::string& to) {
        CopyFileA(demoFile(from).c_str(), dir.file(to).c_str(), FALSE);
    }

    std::string text(HWND w, int id) {
        char buf[256] = {};
        GetDlgItemTextA(w, id, buf, sizeof buf);
        return buf;
    }
    std::string records() { return dir.read("data\\_records.csv"); }

    ScratchFolder dir;
    MessageCapture boxes;
    FakeTicks ticks{100000};
};
