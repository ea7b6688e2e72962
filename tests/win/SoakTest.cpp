// A long race and many dialogs in one process: GDI objects, windows and
// private memory must not grow beyond a small margin. Wine reports no GUI
// resource counts, so there the GDI objects are counted through the handle
// table and the windows of the thread are enumerated.
#include "res/resource.h"
#include "tests/win/RaceWindowsFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

size_t gdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    size_t live = 0;
    for (unsigned index = 1; index < 0x10000; ++index)
        if (GetObjectType((HGDIOBJ)(ULONG_PTR)index)) ++live;
    return live;
}

BOOL CALLBACK countChild(HWND, LPARAM n) {
    ++*reinterpret_cast<size_t*>(n);
    return TRUE;
}

BOOL CALLBACK countWindow(HWND w, LPARAM n) {
    ++*reinterpret_cast<size_t*>(n);
    EnumChildWindows(w, &countChild, n);
    return TRUE;
}

size_t windows() {
    size_t n = 0;
    EnumThreadWindows(GetCurrentThreadId(), &countWindow, (LPARAM)&n);
    return n;
}

size_t privateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

struct Usage {
    size_t gdi, windows, memory;
};

Usage usage() { return {gdiObjects(), windows(), privateBytes()}; }

using SoakTest = RaceWindowsTest;

TEST_F(SoakTest, ALongRaceAndManyDialogsLeakNothing) {
    copyDemo("bg.jpg", "bg.jpg");
    copyDemo("logo.png", "logo.png");
    copyDemo("data\\_face.jpg", "data\\_face.jpg");
    copyDemo("data\\张伟.jpg", "data\\张伟.jpg");
    // A small frame: what leaks does not depend on the size, and it is quick.
    dir.write("Trackvane.ini", "[Trackvane]\r\nwidth=400\r\nheight=240\r\nisZhangai=1\r\n");
    withDialog([&](CControlDlg& dlg, HWND w) {
        auto race = [&](int refreshes, int layoutEvery) {
            pressKey(w, VK_RETURN);
            pressKey(w, '1');
            pressKey(w, '2');
            for (int i = 1; i <= refreshes; ++i) {
                ticks.advance(37);
                if (i % 500 == 0) pressKey(w, '3');  // a whole frame now and then
                outputWnd->refresh();
                if (i % layoutEvery == 0) dlg.showOutput();
                if (i % 100 == 0) pumpPending();
            }
            pressKey(w, VK_OEM_PERIOD);
        };
        auto dialogs = [&](int times) {
            for (int i = 0; i < times; ++i) {
                whileModal([&] { clickButton(w, IDC_OPTIONS); }, [](HWND options) {
                    // Open the palette and close it with Esc, then cancel.
                    clickButton(options, IDC_TEXT_COLOUR);
                    HWND palette = FindWindowA("TrackvaneColourPalette", nullptr);
                    if (palette) SendMessageA(palette, WM_KEYDOWN, VK_ESCAPE, 0);
                    clickButton(options, IDCANCEL);
                });
            }
            pressKey(w, VK_RETURN);
            for (int i = 0; i < times; ++i)
                whileModal([&] { doubleClickRow(w, i % 3); },
                           [](HWND score) { clickButton(score, IDCANCEL); });
            pressKey(w, VK_OEM_PERIOD);
        };

        race(200, 50);  // caches, fonts and pictures settle
        dialogs(3);
        pumpPending();
        // Two equal halves: what only settles grows in the first at most, a
        // leak in both, so the second shows it without a long run.
        Usage at[3] = {usage()};
        for (int half = 1; half <= 2; ++half) {
            race(1000, 50);  // 20 layouts
            dialogs(20);
            pumpPending();
            at[half] = usage();
        }
        for (const Usage& u : at)
            std::printf("GDI objects %zu, windows %zu, private KiB %zu\n", u.gdi, u.windows, u.memory / 1024);
        EXPECT_LE(at[2].gdi, at[1].gdi + 2);
        EXPECT_LE(at[2].windows, at[1].windows);
        EXPECT_LE(at[2].memory, at[1].memory + 512u * 1024);
        EXPECT_LE(at[2].gdi, at[0].gdi + 8);
        EXPECT_LE(at[2].windows, at[0].windows + 2);
        EXPECT_LE(at[2].memory, at[0].memory + 8u * 1024 * 1024);
        EXPECT_TRUE(boxes.boxes().empty());
    });
}

}  // namespace
