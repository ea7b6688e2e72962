// The drop-down palette driven through real messages: what it marks when it
// opens, where keys and the mouse lead, what its owner hears, the system
// colour dialog behind the custom button, and that it always ends (and goes)
// with an accept or a cancel.
#include "settings/ColourPalette.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <colordlg.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace {

struct Received {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Received> received;

LRESULT CALLBACK recordingOwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == UM_COLOUR_CHANGED || msg == UM_COLOUR_ACCEPTED || msg == UM_COLOUR_CANCELLED) {
        received.push_back({msg, wp, lp});
        return TRUE;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

const char kOwnerClass[] = "PaletteTestOwner";
const POINT kPaletteAt = {300, 200};
const POINT kCursorAway = {1800, 1000};

constexpr COLORREF kSilver = 0x00C0C0C0;
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kLightCyan = 0x00FFFFE0;  // E0FFFF, row 5 column 7
constexpr COLORREF kUnknown = 0x00123456;

LPARAM cellParam(int row, int column) { return MAKELPARAM(row, column); }

// The system colour dialog is modal inside the palette; a thread timer runs
// the script on it once it is up.
std::function<void(HWND)> colourDialogScript;
HWND colourDialogOwner = nullptr;

BOOL CALLBACK findOwnedDialog(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && GetWindow(w, GW_OWNER) == colourDialogOwner &&
        IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK actOnColourDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &findOwnedDialog, (LPARAM)&dialog);
    if (!dialog) return;  // not up yet
    KillTimer(nullptr, id);
    auto script = std::move(colourDialogScript);
    colourDialogScript = nullptr;
    if (script) script(dialog);
}

class ColourPaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::copy(std::begin(colourTable), std::end(colourTable), savedTable);
        WNDCLASSA wc = {};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), kOwnerClass, &wc)) {
            wc.lpfnWndProc = &recordingOwnerProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kOwnerClass;
            RegisterClassA(&wc);
        }
        owner = CreateWindowExA(0, kOwnerClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        // A pointer lying over a new palette would highlight a cell of its own.
        SetCursorPos(kCursorAway.x, kCursorAway.y);
        pumpPending();
        received.clear();
    }

    void TearDown() override {
        if (paletteWnd && IsWindow(paletteWnd)) SendMessageA(paletteWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_FALSE(paletteWnd && IsWindow(paletteWnd));
        DestroyWindow(owner);
        pumpPending();
        std::copy(std::begin(savedTable), std::end(savedTable), colourTable);
    }

    CColourPalette* open(COLORREF colour, COLORREF* customs = nullptr) {
        auto* palette = new CColourPalette(owner, kPaletteAt, colour, customs, -1, -1, nullptr);
        paletteWnd = palette->m_hWnd;
        return palette;
    }

    void press(UINT vk) { pressKey(paletteWnd, vk); }

    // A click ends where the system saw the pointer when it was posted.
    void releaseButtonAt(POINT screen) {
        SetCursorPos(screen.x, screen.y);
        POINT client = screen;
        ScreenToClient(paletteWnd, &client);
        PostMessageA(paletteWnd, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        pumpPending();
    }

    std::vector<Received> ofKind(UINT msg) const {
        std::vector<Received> out;
        for (const Received& r : received)
            if (r.msg == msg) out.push_back(r);
        return out;
    }

    HWND owner = nullptr;
    HWND paletteWnd = nullptr;
    ColourEntry savedTable[COLOUR_COUNT];
};

}  // namespace

TEST_F(ColourPaletteTest, OpensBelowTheGivenPointHoldingTheMouse) {
    CColourPalette* palette = open(kWhite);
    ASSERT_TRUE(IsWindow(paletteWnd));
    RECT r;
    GetWindowRect(paletteWnd, &r);
    EXPECT_EQ(r.left, kPaletteAt.x);
    EXPECT_EQ(r.top, kPaletteAt.y);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(r.right - r.left, 8 * 18 + 2 * edge);
    EXPECT_EQ(r.bottom - r.top, 13 * 18 + 2 * edge);
    EXPECT_EQ(GetCapture(), paletteWnd);
    EXPECT_EQ(GetWindow(paletteWnd, GW_OWNER), owner);
    EXPECT_TRUE(palette->hotCell().none());
    // The system rows show the desktop's colours.
    EXPECT_EQ(colourTable[8 * 8 + 0].colour, GetSysColor(COLOR_BTNFACE));
}

TEST_F(ColourPaletteTest, OpeningColourIsMarkedAtItsFirstCell) {
    CColourPalette* palette = open(kWhite);
    EXPECT_EQ(palette->chosenCell(), (GridCell{6, 7}));
    press(VK_ESCAPE);
    palette = open(kSilver);  // not the placeholders of rows 9 and 10
    EXPECT_EQ(palette->chosenCell(), (GridCell{6, 3}));
    press(VK_ESCAPE);
    palette = open(kUnknown);
    EXPECT_TRUE(palette->chosenCell().none());
}

TEST_F(ColourPaletteTest, ArrowKeysMoveFromTheMarkedCellAndTellTheOwner) {
    CColourPalette* palette = open(kWhite);
    press(VK_DOWN);  // (7, 7): a system colour
    EXPECT_EQ(palette->hotCell(), (GridCell{7, 7}));
    press(VK_UP);
    press(VK_UP);  // (5, 7)
    EXPECT_EQ(palette->hotCell(), (GridCell{5, 7}));
    const auto changes = ofKind(UM_COLOUR_CHANGED);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].wp, GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    EXPECT_EQ(changes[1].wp, kWhite);
    EXPECT_EQ(changes[2].wp, kLightCyan);
    EXPECT_EQ(changes[2].lp, 0);

    press(VK_RETURN);
    EXPECT_FALSE(IsWindow(paletteWnd));
    EXPECT_EQ(GetCapture(), nullptr);
    const auto accepted = ofKind(UM_COLOUR_ACCEPTED);
    ASSERT_EQ(accepted.size(), 1u);
    EXPECT_EQ(accepted[0].wp, kLightCyan);
    EXPECT_EQ(accepted[0].lp, cellParam(5, 7));
}

TEST_F(ColourPaletteTest, WithNoMarkedCellOnlyLeftAndRightGiveAStart) {
    CColourPalette* palette = open(kUnknown);
    press(VK_UP);
    press(VK_DOWN);
    EXPECT_TRUE(palette->hotCell().none());
    EXPECT_TRUE(received.empty());
    press(VK_RIGHT);
    EXPECT_EQ(palette->hotCell(), (GridCell{0, 0}));
    press(VK_ESCAPE);
    palette = open(kUnknown);
    press(VK_LEFT);  // the last custom colour, never set: white
    EXPECT_EQ(palette->hotCell(), (GridCell{12, 7}));
    ASSERT_EQ(ofKind(UM_COLOUR_CHANGED).size(), 2u);
    EXPECT_EQ(ofKind(UM_COLOUR_CHANGED)[0].wp, 0x00400080u);  // "Light Maroon"
    EXPECT_EQ(ofKind(UM_COLOUR_CHANGED)[1].wp, kWhite);
    press(VK_RETURN);
    EXPECT_EQ(ofKind(UM_COLOUR_ACCEPTED).at(0).wp, kWhite);
}

TEST_F(ColourPaletteTest, EnterBeforeAnyHighlightAcceptsTheOpeningColour) {
    open(kUnknown);
    press(VK_RETURN);
    ASSERT_EQ(ofKind(UM_COLOUR_ACCEPTED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_ACCEPTED)[0].wp, kUnknown);
    EXPECT_EQ((DWORD)ofKind(UM_COLOUR_ACCEPTED)[0].lp, 0xFFFFFFFFu);  // no cell
}

TEST_F(ColourPaletteTest, EscCancelsWithTheOpeningColour) {
    open(kSilver);
    press(VK_DOWN);
    press(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(paletteWnd));
    EXPECT_TRUE(ofKind(UM_COLOUR_ACCEPTED).empty());
    const auto cancelled = ofKind(UM_COLOUR_CANCELLED);
    ASSERT_EQ(cancelled.size(), 1u);
    EXPECT_EQ(cancelled[0].wp, kSilver);
    EXPECT_EQ(cancelled[0].lp, cellParam(7, 3));
}

TEST_F(ColourPaletteTest, TheCustomButtonRowShowsTheOpeningColour) {
    CColourPalette* palette = open(kSilver);
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_DOWN);  // 7, 8, then past the separator to the button
    EXPECT_EQ(palette->hotCell(), (GridCell{10, 3}));
    EXPECT_EQ(received.back().wp, kSilver);
    press(VK_RIGHT);  // only the column changes; the button stays hot
    EXPECT_EQ(palette->hotCell(), (GridCell{10, 4}));
    press(VK_UP);
    EXPECT_EQ(palette->hotCell(), (GridCell{8, 4}));
}

TEST_F(ColourPaletteTest, MouseHighlightsCellsAndLeavingClearsButKeepsTheColour) {
    CColourPalette* palette = open(kWhite);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    SendMessageA(paletteWnd, WM_MOUSEMOVE, 0, MAKELPARAM(edge + 18 * 2 + 5, edge + 18 * 1 + 5));
    EXPECT_EQ(palette->hotCell(), (GridCell{1, 2}));
    SendMessageA(paletteWnd, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 20));
    EXPECT_TRUE(palette->hotCell().none());
    ASSERT_EQ(ofKind(UM_COLOUR_CHANGED).size(), 1u);  // clearing sends nothing
    // A release inside the palette with nothing highlighted accepts the
    // last highlighted colour: "Light Salmon" FF8080.
    RECT r;
    GetWindowRect(paletteWnd, &r);
    releaseButtonAt({r.right - 1, r.top + 10});  // right border: no cell
    EXPECT_FALSE(IsWindow(paletteWnd));
    ASSERT_EQ(ofKind(UM_COLOUR_ACCEPTED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_ACCEPTED)[0].wp, 0x008080FFu);
}

TEST_F(ColourPaletteTest, ReleaseOutsideThePaletteCancels) {
    open(kWhite);
    press(VK_LEFT);
    RECT r;
    GetWindowRect(paletteWnd, &r);
    releaseButtonAt({r.left - 20, r.top + 30});
    EXPECT_FALSE(IsWindow(paletteWnd));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(ofKind(UM_COLOUR_ACCEPTED).empty());
    ASSERT_EQ(ofKind(UM_COLOUR_CANCELLED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_CANCELLED)[0].wp, kWhite);
}

TEST_F(ColourPaletteTest, SeparatorKeepsThePaletteOpen) {
    CColourPalette* palette = open(kWhite);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    SendMessageA(paletteWnd, WM_MOUSEMOVE, 0, MAKELPARAM(60, 2 * edge + 9 * 18 + 4));
    EXPECT_EQ(palette->hotCell(), (GridCell{9, 0}));
    EXPECT_TRUE(received.empty());  // the separator has no colour to tell
    press(VK_RETURN);
    EXPECT_TRUE(IsWindow(paletteWnd));
    EXPECT_EQ(GetCapture(), paletteWnd);
    EXPECT_TRUE(ofKind(UM_COLOUR_ACCEPTED).empty());
}

TEST_F(ColourPaletteTest, CustomColoursComeFromTheOwnerAndGoBackOnCancelToo) {
    COLORREF customs[16];
    std::fill(std::begin(customs), std::end(customs), 0xFFFFFFFFu);
    customs[3] = 0x00112233;
    CColourPalette* palette = open(0x00112233, customs);
    // The mark is searched before the owner's colours are loaded: only the
    // colours the last palette left in the table are found.
    EXPECT_TRUE(palette->chosenCell().none());
    EXPECT_EQ(colourTable[11 * 8 + 3].colour, 0x00112233u);
    press(VK_ESCAPE);
    palette = open(0x00112233, customs);
    EXPECT_EQ(palette->chosenCell(), (GridCell{11, 3}));
    // Stand in for the colour dialog having filled a slot.
    colourTable[12 * 8 + 0].colour = 0x00445566;
    press(VK_ESCAPE);
    EXPECT_EQ(customs[3], 0x00112233u);
    EXPECT_EQ(customs[8], 0x00445566u);
    EXPECT_EQ(customs[0], 0xFFFFFFFFu);  // unset stays unset
}

TEST_F(ColourPaletteTest, ColourDialogFillsACustomSlotAndThePaletteStaysOpen) {
    COLORREF customs[16];
    std::fill(std::begin(customs), std::end(customs), 0xFFFFFFFFu);
    CColourPalette* palette = open(kSilver, customs);
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_DOWN);
    ASSERT_EQ(palette->hotCell(), (GridCell{10, 3}));

    colourDialogOwner = paletteWnd;
    bool dialogSeen = false;
    bool ownerWaited = false;
    colourDialogScript = [&dialogSeen, &ownerWaited, this](HWND dialog) {
        dialogSeen = true;
        // The window the button sits on takes no click behind the dialog.
        ownerWaited = !IsWindowEnabled(owner);
        SetDlgItemTextA(dialog, COLOR_RED, "10");
        SetDlgItemTextA(dialog, COLOR_GREEN, "20");
        SetDlgItemTextA(dialog, COLOR_BLUE, "30");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, COLOR_ADD));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, IDOK));
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &actOnColourDialog);
    press(VK_RETURN);  // on the custom button: the dialog, modal
    KillTimer(nullptr, timer);
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ownerWaited);
    EXPECT_TRUE(IsWindowEnabled(owner));

    ASSERT_TRUE(IsWindow(paletteWnd));
    EXPECT_EQ(GetCapture(), paletteWnd);
    EXPECT_EQ(palette->hotCell(), (GridCell{10, 3}));
    EXPECT_EQ(colourTable[11 * 8 + 0].colour, RGB(10, 20, 30));
    // The dialog's colour goes out only with an accept while no cell is hot.
    SendMessageA(paletteWnd, WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
    RECT r;
    GetWindowRect(paletteWnd, &r);
    releaseButtonAt({r.left + 20, r.bottom - 1});  // bottom border: no cell
    EXPECT_FALSE(IsWindow(paletteWnd));
    ASSERT_EQ(ofKind(UM_COLOUR_ACCEPTED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_ACCEPTED)[0].wp, RGB(10, 20, 30));
    EXPECT_EQ(customs[0], RGB(10, 20, 30));
}

TEST_F(ColourPaletteTest, LosingTheMouseToAnotherWindowCancels) {
    open(kWhite);
    press(VK_UP);
    SetCapture(owner);
    pumpPending();
    EXPECT_FALSE(IsWindow(paletteWnd));
    ASSERT_EQ(ofKind(UM_COLOUR_CANCELLED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_CANCELLED)[0].wp, kWhite);
    ReleaseCapture();
}

TEST_F(ColourPaletteTest, ClosedWithItsOwnerItStillReportsACancel) {
    open(kWhite);
    DestroyWindow(owner);  // owned windows go first, so the owner still hears it
    EXPECT_FALSE(IsWindow(paletteWnd));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(ofKind(UM_COLOUR_CANCELLED).size(), 1u);
    EXPECT_EQ(ofKind(UM_COLOUR_CANCELLED)[0].wp, kWhite);
    pumpPending();
}
