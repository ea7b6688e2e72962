#include "settings/ColourPalette.h"

#include "framework/WideText.h"

#include <commdlg.h>
#include <windowsx.h>

namespace {

const wchar_t kPaletteClass[] = L"TrackvaneColourPalette";
const char kCustomTooltip[] = "Selects a custom color";

// Posted to itself when another window took the mouse: the palette ends
// from its own queue, never inside someone else's SetCapture or
// DestroyWindow.
constexpr UINT UM_CAPTURE_LOST = WM_APP + 1;

constexpr COLORREF kColourBits = 0x00FFFFFF;

uint32_t systemColour(int index) { return GetSysColor(index); }

RECT toRect(const GridRect& r) { return {r.left, r.top, r.right, r.bottom}; }
GridRect toGridRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }


}  // namespace

CColourPalette::CColourPalette(HWND ownerWnd, POINT position, COLORREF colour,
                               COLORREF* customColours, int presetRow, int presetColumn,
                               const char* text)
    : customText("自定义...") {
    gridMargin = GetSystemMetrics(SM_CXEDGE);
    boxSize = paletteBoxSize(gridMargin);
    refreshSystemColours(&systemColour);

    chosenRow = presetRow;
    chosenColumn = presetColumn;
    initialColour = currentColour = colour;
    owner = ownerWnd;
    if (presetRow == -1 || presetColumn == -1) {
        const GridCell found = findColourCell(colour);
        if (!found.none()) {
            chosenRow = found.row;
            chosenColumn = found.column;
        }
    }
    // The table is shared; the custom rows show the colours of the button
    // that opens this palette, and go back to it at the end.
    if (customColours) {
        ownerCustomColours = customColours;
        uint32_t mine[CUSTOM_COLOUR_COUNT];
        for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) mine[i] = customColours[i];
        loadCustomColours(mine);
    }
    Create(position, colour, owner, text);
}

CColourPalette::~CColourPalette() = default;

bool CColourPalette::registerClass() {
    WNDCLASSW wc = {};
    if (GetClassInfoW(AfxGetInstanceHandle(), kPaletteClass, &wc)) return true;
    wc.style = CS_CLASSDC | CS_SAVEBITS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CWnd::RegisteredProc;
    wc.hInstance = AfxGetInstanceHandle();
    // Without a class cursor the pointer keeps whatever shape it had where the
    // click began; the arrow is what a menu-like popup shows.
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = kPaletteClass;
    return RegisterClassW(&wc) != 0;
}

BOOL CColourPalette::Create(POINT position, COLORREF, HWND ownerWnd, const char* text) {
    if (!registerClass()) return FALSE;
    HWND w = CreateWindowExW(0, kPaletteClass, L"", WS_POPUP | WS_VISIBLE, position.x, position.y,
                             100, 100, ownerWnd, nullptr, AfxGetInstanceHandle(), this);
    if (!w) return FALSE;
    windowOpened = true;
    if (text) customText = text;
    layOut();
    createToolTips();
    SetCapture(m_hWnd);
    return TRUE;
}

BOOL CColourPalette::PreTranslateMessage(MSG* msg) {
    toolTip.RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

LRESULT CColourPalette::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONUP: {
        const LRESULT result = Default(msg, wp, lp);
        OnLButtonUp();  // may end the palette: nothing of it is used after
        return result;
    }
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<UINT>(wp))) return 0;
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged();
        break;
    case UM_CAPTURE_LOST:
        OnCaptureLost();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        break;
    }
    return Default(msg, wp, lp);
}

void CColourPalette::PostNcDestroy() {
    if (windowOpened) delete this;
}

// --- layout ---

PaletteLayout CColourPalette::currentLayout() const {
    PaletteLayout l = {};
    l.boxSize = boxSize;
    l.gridMargin = gridMargin;
    l.width = windowRect.right - windowRect.left;
    l.height = windowRect.bottom - windowRect.top;
    l.customRect = toGridRect(customRect);
    l.separatorRect = toGridRect(separatorRect);
    return l;
}

void CColourPalette::layOut() {
    if (!customFont) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            customFont.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    SIZE text = {};
    {
        ScopedWindowDc dc(m_hWnd);
        ScopedSelect font(dc.get(), customFont.get());
        const std::wstring shown = toWide(customText);
        GetTextExtentPoint32W(dc.get(), shown.c_str(), (int)shown.size(), &text);
    }
    const PaletteLayout l = layoutPalette(gridMargin, text.cx, text.cy);
    boxSize = l.boxSize;
    columns = GRID_COLUMNS;
    rows = colourCount / GRID_COLUMNS + (colourCount % GRID_COLUMNS != 0 ? 1 : 0);

    RECT placed = {};
    GetWindowRect(m_hWnd, &placed);
    windowRect = {placed.left, placed.top, placed.left + l.width, placed.top + l.height};
    customRect = toRect(l.customRect);
    separatorRect = toRect(l.separatorRect);
    MoveWindow(m_hWnd, windowRect.left, windowRect.top, l.width, l.height, TRUE);
}

void CColourPalette::createToolTips() {
    if (!toolTip.Create(m_hWnd)) return;  // the palette works without them
    const PaletteLayout l = currentLayout();
    for (int row = 0; row < rows; ++row) {
        if (row == SEPARATOR_ROW) continue;
        if (row == CUSTOM_BUTTON_ROW) {
            toolTip.AddTool(m_hWnd, kCustomTooltip, customRect,
                            cellIndex({CUSTOM_BUTTON_ROW, 0}) + 1);
            continue;
        }
        for (int column = 0; column < columns; ++column) {
            GridRect cell;
            if (!cellRect(l, {row, column}, &cell)) continue;
            // One id per tool: the tooltip control tells tools apart by id.
            const int index = cellIndex({row, column});
            toolTip.AddTool(m_hWnd, colourTable[index].name, toRect(cell), index + 1);
        }
    }
}

// --- mouse and keys ---

void CColourPalette::OnMouseMove(int x, int y) {
    const GridCell cell = hitTestPalette(currentLayout(), x, y);
    if (cell != hotCell()) highlight(cell);
}

void CColourPalette::OnLButtonUp() {
    const DWORD pos = GetMessagePos();
    const POINT where = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    endSelection(PtInRect(&windowRect, where) != FALSE);
}

// True when the key is used up and gets no default handling.
bool CColourPalette::OnKeyDown(UINT vk) {
    switch (vk) {
    case VK_DOWN: moveHighlight(GridKey::Down); return false;
    case VK_UP: moveHighlight(GridKey::Up); return false;
    case VK_RIGHT: moveHighlight(GridKey::Right); return false;
    case VK_LEFT: moveHighlight(GridKey::Left); return false;
    case VK_RETURN:
        endSelection(true);
        return true;
    case VK_ESCAPE:
        currentColour = initialColour;
        endSelection(false);
        return true;
    }
    return false;
}

void CColourPalette::moveHighlight(GridKey key) {
    highlight(gridCellAfterKey(key, hotCell(), chosenCell()));
}

void CColourPalette::highlight(GridCell cell) {
    ScopedWindowDc dc(m_hWnd);
    if (!hotCell().none()) {
        const GridCell old = hotCell();
        hotRow = hotColumn = -1;
        drawCell(dc.get(), old);
    }
    if (cell.none()) return;
    hotRow = cell.row;
    hotColumn = cell.column;
    if (cell.row == SEPARATOR_ROW) return;
    drawCell(dc.get(), cell);
    if (cell.row == CUSTOM_BUTTON_ROW) {
        SendMessageW(owner, UM_COLOUR_CHANGED, initialColour, 0);
        return;
    }
    currentColour = colourTable[cellIndex(cell)].colour & kColourBits;
    SendMessageW(owner, UM_COLOUR_CHANGED, currentColour, 0);
}

// --- ending ---

void CColourPalette::endSelection(bool accept) {
    ending = true;
    // After a lost capture the mouse belongs to another window: leave it.
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (accept && hotRow == SEPARATOR_ROW) {
        SetCapture(m_hWnd);
        ending = false;
        return;
    }
    if (accept && hotRow == CUSTOM_BUTTON_ROW) {
        chooseCustomColour();
        SetCapture(m_hWnd);
        ending = false;
        return;
    }
    if (!accept) currentColour = initialColour;
    notifyOwnerOfEnd(accept);
    DestroyWindow();  // the object deletes itself
}

void CColourPalette::chooseCustomColour() {
    COLORREF customs[CUSTOM_COLOUR_COUNT];
    ColourEntry* first = &colourTable[FIRST_CUSTOM_ROW * GRID_COLUMNS];
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) customs[i] = first[i].colour & kColourBits;

    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = m_hWnd;
    cc.rgbResult = initialColour;
    cc.lpCustColors = customs;
    cc.Flags = CC_FULLOPEN | CC_ANYCOLOR;
    // The dialog starts on the opening colour only when told to, as the
    // framework's colour dialog does for any colour but black.
    if (initialColour != 0) cc.Flags |= CC_RGBINIT;
    // The colour dialog disables the palette, its owner; the dialog the
    // button sits on must wait for it too, or it would take clicks (OK among
    // them) behind the colour dialog.
    HWND dialog = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    const bool disableDialog = dialog && dialog != m_hWnd && IsWindowEnabled(dialog);
    if (disableDialog) EnableWindow(dialog, FALSE);
    inColourDialog = true;
    const BOOL confirmed = ChooseColorW(&cc);
    inColourDialog = false;
    if (disableDialog) EnableWindow(dialog, TRUE);
    if (!confirmed) return;
    currentColour = cc.rgbResult;
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) first[i].colour = customs[i];
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColourPalette::notifyOwnerOfEnd(bool accept) {
    ended = true;
    chosenRow = hotRow;
    chosenColumn = hotColumn;
    if (ownerCustomColours) {
        uint32_t table[CUSTOM_COLOUR_COUNT];
        storeCustomColours(table);
        for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) ownerCustomColours[i] = table[i];
    }
    const LPARAM cell = MAKELPARAM(chosenRow, chosenColumn);
    if (accept) SendMessageW(owner, UM_COLOUR_ACCEPTED, currentColour, cell);
    else SendMessageW(owner, UM_COLOUR_CANCELLED, initialColour, cell);
}

void CColourPalette::OnCaptureChanged() {
    if (!ending && !inColourDialog && !ended) PostMessageW(m_hWnd, UM_CAPTURE_LOST, 0, 0);
}

// A palette that lost the mouse would otherwise sit there, unreachable.
void CColourPalette::OnCaptureLost() {
    if (ending || inColourDialog || ended || GetCapture() == m_hWnd) return;
    endSelection(false);
}

// Destroyed by someone else (its owner dialog closed): the button still
// hears that the palette ended, but colours go back only to an owner whose
// object is still there to hold them.
void CColourPalette::OnDestroy() {
    if (ended) return;
    if (!CWnd::FromHandlePermanent(owner)) ownerCustomColours = nullptr;
    currentColour = initialColour;
    notifyOwnerOfEnd(false);
}

// --- painting ---

void CColourPalette::OnPaint() {
    ScopedPaint paint(m_hWnd);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (row == CUSTOM_BUTTON_ROW && column > 0) break;  // one button for the row
            drawCell(paint.dc(), {row, column});
        }
    }
    RECT client;
    GetClientRect(m_hWnd, &client);
    DrawEdge(paint.dc(), &client, EDGE_RAISED, BF_RECT);
}

void CColourPalette::drawCell(HDC dc, GridCell cell) {
    if (cell.row == CUSTOM_BUTTON_ROW) drawCustomButton(dc);
    else if (cell.row == SEPARATOR_ROW) drawSeparatorCell(dc, cell);
    else drawColourCell(dc, cell);
}

void CColourPalette::drawCustomButton(HDC dc) {
    FillRect(dc, &customRect, GetSysColorBrush(COLOR_BTNFACE));
    if (hotRow == CUSTOM_BUTTON_ROW) DrawEdge(dc, &customRect, EDGE_RAISED, BF_RECT);
    ScopedSelect font(dc, customFont.get());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT text = customRect;
    DrawTextW(dc, toWide(customText).c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
}

void CColourPalette::drawSeparatorCell(HDC dc, GridCell cell) {
    const PaletteLayout l = currentLayout();
    GridRect g, last;
    if (!cellRect(l, cell, &g) || !cellRect(l, {SEPARATOR_ROW, columns - 1}, &last)) return;
    RECT r = toRect(g);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT groove = {r.left, r.top + boxSize / 2 - 2, last.right, r.bottom - boxSize / 2 + 2};
    UINT sides = BF_TOP | BF_BOTTOM;
    if (cell.column == 0) sides |= BF_LEFT;
    else if (cell.column == columns - 1) sides |= BF_RIGHT;
    DrawEdge(dc, &groove, EDGE_SUNKEN, sides);
}

void CColourPalette::drawColourCell(HDC dc, GridCell cell) {
    GridRect g;
    if (!cellRect(currentLayout(), cell, &g)) return;
    RECT r = toRect(g);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (cell == hotCell()) DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    else if (cell == chosenCell()) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    InflateRect(&r, -(gridMargin + 1), -(gridMargin + 1));

    // An unset custom entry has every bit set: without the top byte, white.
    ScopedBrush brush(CreateSolidBrush(colourTable[cellIndex(cell)].colour & kColourBits));
    ScopedPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    ScopedSelect useBrush(dc, brush.get());
    ScopedSelect usePen(dc, pen.get());
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}
