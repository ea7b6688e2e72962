// The drop-down palette of the colour picker button: fixed, system and custom
// colours on a grid, a "custom" button that opens the system colour dialog,
// tooltips with the colours' names. It holds the mouse capture while open,
// tells its owner what is highlighted, and ends on a click, Enter or Esc by
// sending the result to its owner and deleting itself.
#pragma once

#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "settings/ColourTable.h"

#include <string>

// Messages to the owner. lParam of the last two: low word the chosen row,
// high word the chosen column (0xFFFF for none).
constexpr UINT UM_COLOUR_CHANGED = WM_USER + 1001;
constexpr UINT UM_COLOUR_ACCEPTED = WM_USER + 1004;
constexpr UINT UM_COLOUR_CANCELLED = WM_USER + 1005;

class CColourPalette : public CWnd {
public:
    // Always made with new; the window opens at once (screen position x, y)
    // and the object deletes itself when the window goes. A preset cell of
    // -1 lets the palette find the colour in its table. customText null
    // keeps the palette's own text.
    CColourPalette(HWND owner, POINT position, COLORREF colour, COLORREF* customColours,
                   int presetRow, int presetColumn, const char* customText);
    ~CColourPalette() override;

    BOOL Create(POINT position, COLORREF colour, HWND owner, const char* customText);
    BOOL PreTranslateMessage(MSG* msg) override;

    GridCell hotCell() const { return {hotRow, hotColumn}; }
    GridCell chosenCell() const { return {chosenRow, chosenColumn}; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PostNcDestroy() override;

private:
    void OnMouseMove(int x, int y);
    void OnLButtonUp();
    bool OnKeyDown(UINT vk);
    void OnPaint();
    void OnCaptureChanged();
    void OnCaptureLost();
    void OnDestroy();

    static bool registerClass();
    PaletteLayout currentLayout() const;
    void layOut();
    void createToolTips();
    void highlight(GridCell cell);
    void moveHighlight(GridKey key);
    void endSelection(bool accept);
    void chooseCustomColour();
    void notifyOwnerOfEnd(bool accept);
    void drawCell(HDC dc, GridCell cell);
    void drawCustomButton(HDC dc);
    void drawSeparatorCell(HDC dc, GridCell cell);
    void drawColourCell(HDC dc, GridCell cell);

    COLORREF* ownerCustomColours = nullptr;
    int colourCount = COLOUR_COUNT;
    int columns = 0;
    int rows = 0;
    int boxSize = 18;
    int gridMargin = 0;
    int hotRow = -1, hotColumn = -1;
    int chosenRow = -1, chosenColumn = -1;
    std::string customText;
    RECT customRect = {};
    RECT windowRect = {};
    RECT separatorRect = {};
    ScopedFont customFont;
    COLORREF initialColour = 0x00FFFFFF;
    COLORREF currentColour = 0x00FFFFFF;
    CToolTipCtrl toolTip;
    HWND owner = nullptr;

    // Set once CreateWindowEx has returned: only a window that really opened
    // ends by deleting its object.
    bool windowOpened = false;
    // While the palette gives the capture up on purpose (ending, or the
    // system colour dialog), losing it is no cancel.
    bool ending = false;
    bool inColourDialog = false;
    bool ended = false;
};
