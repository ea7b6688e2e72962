#include "settings/ColourButton.h"

#include "framework/Handles.h"

#include <algorithm>

namespace {

constexpr COLORREF kDefaultColourMark = 0xFF000000;
constexpr COLORREF kDisabledColour = 0x00C0C0C0;

// The arrow's width follows the scroll bar thumbs, as other drop-downs do.
int arrowWidth() {
    return std::max(GetSystemMetrics(SM_CXHTHUMB) / 3 + 2, GetSystemMetrics(SM_CYVTHUMB) / 3 + 2);
}

}  // namespace

CColourButton::CColourButton()
    : savedColour(GetSysColor(COLOR_BTNFACE)), defaultColour(GetSysColor(COLOR_APPWORKSPACE)) {
    std::fill(std::begin(customColours), std::end(customColours), COLORREF(0x00FFFFFF));
}

CColourButton::~CColourButton() = default;

void CColourButton::SetColour(COLORREF value) {
    colour = value;
    savedColour = value;
    repaintNow();
}

void CColourButton::repaintNow() {
    if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CColourButton::PreSubclassWindow() {
    // The template's text ("clrStr", "clrDigi") is never shown: the button
    // draws itself.
    ModifyStyle(0, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

BOOL CColourButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) != BN_CLICKED) return FALSE;
        openPalette();
        *result = 0;
        return TRUE;  // the parent never sees the click
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *result = TRUE;
        return TRUE;
    }
    return CButton::OnChildNotify(msg, wp, lp, result);
}

LRESULT CColourButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        OnEraseBkgnd(reinterpret_cast<HDC>(wp));
        return TRUE;
    case WM_ENABLE:
        OnEnable(wp != FALSE);
        break;
    case UM_COLOUR_ACCEPTED:
        OnColourAccepted(static_cast<COLORREF>(wp));
        return TRUE;
    case UM_COLOUR_CANCELLED:
        OnColourCancelled(static_cast<COLORREF>(wp));
        return TRUE;
    case UM_COLOUR_CHANGED:
        return TRUE;  // the swatch changes only when the palette ends
    }
    return Default(msg, wp, lp);
}

// --- the palette ---

void CColourButton::openPalette() {
    RECT r;
    GetWindowRect(m_hWnd, &r);
    auto* palette = new CColourPalette(m_hWnd, {r.left, r.bottom}, colour, customColours, -1, -1,
                                       nullptr);
    // A palette whose window never opened cannot delete itself.
    if (!palette->m_hWnd) delete palette;
    notifyParent(UM_PALETTE_OPENED, colour);
}

void CColourButton::OnColourAccepted(COLORREF value) {
    notifyParent(UM_PALETTE_CLOSED, value);
    notifyParent(UM_COLOUR_ACCEPTED, value);
    if (value == colour) return;
    SetColour(value);
    notifyParent(UM_COLOUR_CHANGED, value);
}

void CColourButton::OnColourCancelled(COLORREF value) {
    SetColour(value);
    notifyParent(UM_PALETTE_CLOSED, value);
    notifyParent(UM_COLOUR_CANCELLED, value);
}

void CColourButton::notifyParent(UINT msg, COLORREF value) {
    if (HWND parent = GetParent(m_hWnd)) SendMessageW(parent, msg, value, GetDlgCtrlID());
}

// --- state and drawing ---

// A disabled button shows no colour; the one it had comes back with enabling.
void CColourButton::OnEnable(bool enabled) {
    if (enabled) {
        colour = savedColour;
    } else {
        savedColour = colour;
        colour = kDisabledColour;
    }
    repaintNow();
}

void CColourButton::OnEraseBkgnd(HDC dc) {
    RECT client;
    GetClientRect(m_hWnd, &client);
    ScopedBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &client, brush.get());
}

void CColourButton::DrawItem(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    const bool disabled = (item->itemState & ODS_DISABLED) != 0;
    RECT r = item->rcItem;

    UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (selected) frame |= DFCS_PUSHED;
    if (disabled) frame |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, frame);
    if (selected) OffsetRect(&r, 1, 1);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = {r.left, r.top, r.right - 1, r.bottom};
        DrawFocusRect(dc, &focus);
    }
    const int edgeX = GetSystemMetrics(SM_CXEDGE);
    InflateRect(&r, -edgeX, -GetSystemMetrics(SM_CYEDGE));

    drawArrow(dc, r);

    r.right -= 2 * edgeX + 7 + edgeX / 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RIGHT);

    r.right -= 2 * edgeX + 1;
    if (disabled) return;
    ScopedBrush swatch(CreateSolidBrush(colour == kDefaultColourMark ? defaultColour : colour));
    FillRect(dc, &r, swatch.get());
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

// A downward triangle W pixels wide, one line shorter by two pixels per row.
void CColourButton::drawArrow(HDC dc, const RECT& r) {
    const int edgeX = GetSystemMetrics(SM_CXEDGE);
    const int w = arrowWidth();
    const int x0 = r.right - 2 * edgeX - 6;
    const int y0 = (r.top + r.bottom) / 2 - 2;
    for (int k = 0; w - 2 * k > 0; ++k) {
        MoveToEx(dc, x0 + k, y0 + k, nullptr);
        LineTo(dc, x0 + k + w - 2 * k, y0 + k);
    }
}
