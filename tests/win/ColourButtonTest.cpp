// The colour picker button inside a real dialog: its colour through enable
// and disable, what it draws, and the notifications its parent receives, in
// order, when the palette it opens ends.
#include "settings/ColourButton.h"

#include "framework/Dialog.h"
#include "res/resource.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Notification {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

// A dialog with two picker buttons (the options template) that records the
// pickers' notifications.
class PickerHostDlg : public CDialog {
public:
    PickerHostDlg() : CDialog(IDD_OPTIONS) {}
    // The window goes before the buttons, so that a palette still open ends
    // while they are there to hear it.
    ~PickerHostDlg() override {
        if (m_hWnd) DestroyWindow();
    }

    CColourButton text;
    CColourButton digit;
    std::vector<Notification> heard;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_TEXT_COLOUR, text);
        DDX_Control(dx, IDC_DIGIT_COLOUR, digit);
    }
    BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (msg < UM_COLOUR_CHANGED || msg > UM_COLOUR_CANCELLED) return FALSE;
        heard.push_back({msg, wp, lp});
        *result = TRUE;
        return TRUE;
    }
};

class ColourButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::copy(std::begin(colourTable), std::end(colourTable), savedTable);
        SetCursorPos(1800, 1000);  // away from where palettes open
        ASSERT_TRUE(host.Create(IDD_OPTIONS, nullptr));
        ShowWindow(host.m_hWnd, SW_SHOW);
        pumpPending();
    }
    void TearDown() override {
        std::copy(std::begin(savedTable), std::end(savedTable), colourTable);
    }

    // Clicks the button; the palette that opens holds the mouse.
    HWND openPalette(int id) {
        clickButton(host.m_hWnd, id);
        return GetCapture();
    }

    std::vector<UINT> heardKinds() const {
        std::vector<UINT> kinds;
        for (const Notification& n : host.heard) kinds.push_back(n.msg);
        return kinds;
    }

    // Draws the button into a bitmap as the dialog would have it drawn, and
    // reads the middle of where the swatch goes.
    COLORREF swatchPixel(CColourButton& button, UINT state) {
        RECT r;
        GetClientRect(button.m_hWnd, &r);
        ScopedWindowDc screen(button.m_hWnd);
        ScopedMemDc mem(CreateCompatibleDC(screen.get()));
        ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
        ScopedSelect use(mem.get(), bitmap.get());
        ScopedBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
        FillRect(mem.get(), &r, magenta.get());
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = button.GetDlgCtrlID();
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button.m_hWnd;
        item.hDC = mem.get();
        item.rcItem = r;
        SendMessageA(host.m_hWnd, WM_DRAWITEM, item.CtlID, (LPARAM)&item);
        return GetPixel(mem.get(), r.right / 3, r.bottom / 2);
    }

    PickerHostDlg host;
    ColourEntry savedTable[COLOUR_COUNT];
};

constexpr COLORREF kWhite = 0x00FFFFFF;

}  // namespace

TEST_F(ColourButtonTest, FreshButtonIsWhiteOwnerDrawnAndKeepsWhatItIsGiven) {
    EXPECT_EQ(host.text.GetColour(), kWhite);
    const LONG_PTR style = GetWindowLongPtrA(host.text.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
    host.text.SetColour(0x00123456);
    host.digit.SetColour(0xFF000000);
    EXPECT_EQ(host.text.GetColour(), 0x00123456u);
    EXPECT_EQ(host.digit.GetColour(), 0xFF000000u);
    EXPECT_TRUE(host.heard.empty());  // setting the colour notifies nobody
}

TEST_F(ColourButtonTest, DisabledReadsSilverAndEnablingBringsTheColourBack) {
    host.text.SetColour(0x00123456);
    EnableWindow(host.text.m_hWnd, FALSE);
    EXPECT_EQ(host.text.GetColour(), 0x00C0C0C0u);
    EnableWindow(host.text.m_hWnd, TRUE);
    EXPECT_EQ(host.text.GetColour(), 0x00123456u);
    // Enabled without having been disabled or given a colour: button face.
    SendMessageA(host.digit.m_hWnd, WM_ENABLE, TRUE, 0);
    EXPECT_EQ(host.digit.GetColour(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ColourButtonTest, SwatchShowsTheColourTheDefaultColourOrNothingWhenDisabled) {
    host.text.SetColour(RGB(10, 200, 30));
    EXPECT_EQ(swatchPixel(host.text, 0), RGB(10, 200, 30));
    EXPECT_EQ(swatchPixel(host.text, ODS_SELECTED | ODS_FOCUS), RGB(10, 200, 30));
    EXPECT_NE(swatchPixel(host.text, ODS_DISABLED), RGB(10, 200, 30));
    host.text.SetColour(0xFF000000);
    EXPECT_EQ(swatchPixel(host.text, 0), GetSysColor(COLOR_APPWORKSPACE));
}

TEST_F(ColourButtonTest, ClickOpensThePaletteBelowTheButton) {
    host.text.SetColour(kWhite);
    HWND palette = openPalette(IDC_TEXT_COLOUR);
    ASSERT_NE(palette, nullptr);
    RECT button, popup;
    GetWindowRect(host.text.m_hWnd, &button);
    GetWindowRect(palette, &popup);
    EXPECT_EQ(popup.left, button.left);
    EXPECT_EQ(popup.top, button.bottom);
    ASSERT_EQ(host.heard.size(), 1u);
    EXPECT_EQ(host.heard[0].msg, UM_PALETTE_OPENED);
    EXPECT_EQ(host.heard[0].wp, kWhite);
    EXPECT_EQ(host.heard[0].lp, IDC_TEXT_COLOUR);
    pressKey(palette, VK_ESCAPE);
}

TEST_F(ColourButtonTest, AcceptingTheSameColourChangesNothing) {
    host.text.SetColour(kWhite);
    HWND palette = openPalette(IDC_TEXT_COLOUR);
    pressKey(palette, VK_RETURN);
    EXPECT_FALSE(IsWindow(palette));
    EXPECT_EQ(heardKinds(),
              (std::vector<UINT>{UM_PALETTE_OPENED, UM_PALETTE_CLOSED, UM_COLOUR_ACCEPTED}));
    EXPECT_EQ(host.heard[2].wp, kWhite);
    EXPECT_EQ(host.text.GetColour(), kWhite);
}

TEST_F(ColourButtonTest, AcceptingAnotherColourTakesItAndSaysSoLast) {
    host.digit.SetColour(kWhite);  // row 6, column 7
    HWND palette = openPalette(IDC_DIGIT_COLOUR);
    pressKey(palette, VK_UP);  // "Light Cyan" E0FFFF; the button waits for the end
    EXPECT_EQ(host.digit.GetColour(), kWhite);
    pressKey(palette, VK_RETURN);
    EXPECT_EQ(heardKinds(), (std::vector<UINT>{UM_PALETTE_OPENED, UM_PALETTE_CLOSED,
                                               UM_COLOUR_ACCEPTED, UM_COLOUR_CHANGED}));
    for (size_t i = 1; i < host.heard.size(); ++i) {
        EXPECT_EQ(host.heard[i].wp, 0x00FFFFE0u);
        EXPECT_EQ(host.heard[i].lp, IDC_DIGIT_COLOUR);
    }
    EXPECT_EQ(host.digit.GetColour(), 0x00FFFFE0u);
}

TEST_F(ColourButtonTest, CancellingKeepsTheOpeningColour) {
    host.text.SetColour(0x00C0C0C0);
    HWND palette = openPalette(IDC_TEXT_COLOUR);
    pressKey(palette, VK_DOWN);
    pressKey(palette, VK_ESCAPE);
    EXPECT_EQ(heardKinds(),
              (std::vector<UINT>{UM_PALETTE_OPENED, UM_PALETTE_CLOSED, UM_COLOUR_CANCELLED}));
    EXPECT_EQ(host.heard[2].wp, 0x00C0C0C0u);
    EXPECT_EQ(host.text.GetColour(), 0x00C0C0C0u);
}

TEST_F(ColourButtonTest, EachButtonKeepsItsOwnCustomColours) {
    HWND palette = openPalette(IDC_TEXT_COLOUR);
    colourTable[11 * 8 + 0].colour = 0x00010203;  // as the colour dialog would
    pressKey(palette, VK_ESCAPE);

    palette = openPalette(IDC_DIGIT_COLOUR);
    EXPECT_EQ(colourTable[11 * 8 + 0].colour, 0x00FFFFFFu);  // the digit button's own
    pressKey(palette, VK_ESCAPE);

    palette = openPalette(IDC_TEXT_COLOUR);
    EXPECT_EQ(colourTable[11 * 8 + 0].colour, 0x00010203u);
    pressKey(palette, VK_ESCAPE);
}

TEST_F(ColourButtonTest, ClosingTheDialogEndsAnOpenPaletteAsCancelled) {
    host.text.SetColour(0x00123456);
    HWND palette = openPalette(IDC_TEXT_COLOUR);
    ASSERT_NE(palette, nullptr);
    host.DestroyWindow();
    EXPECT_FALSE(IsWindow(palette));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(heardKinds(),
              (std::vector<UINT>{UM_PALETTE_OPENED, UM_PALETTE_CLOSED, UM_COLOUR_CANCELLED}));
    pumpPending();
}
