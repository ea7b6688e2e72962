// A dialog push button turned colour picker: it shows the colour as a framed
// swatch with a drop-down arrow, opens the palette below itself when clicked,
// and tells its parent how the palette ended.
#pragma once

#include "framework/Wnd.h"
#include "settings/ColourPalette.h"

// Notifications to the parent (besides UM_COLOUR_CHANGED, UM_COLOUR_ACCEPTED
// and UM_COLOUR_CANCELLED, which the button passes on): wParam the colour,
// lParam the button's control id.
constexpr UINT UM_PALETTE_OPENED = WM_USER + 1002;
constexpr UINT UM_PALETTE_CLOSED = WM_USER + 1003;

class CColourButton : public CButton {
public:
    CColourButton();
    ~CColourButton() override;

    void SetColour(COLORREF value);
    COLORREF GetColour() const { return colour; }

    BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    virtual void DrawItem(const DRAWITEMSTRUCT* item);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void openPalette();
    void OnColourAccepted(COLORREF value);
    void OnColourCancelled(COLORREF value);
    void OnEnable(bool enabled);
    void OnEraseBkgnd(HDC dc);
    void repaintNow();
    void notifyParent(UINT msg, COLORREF value);
    void drawArrow(HDC dc, const RECT& r);

    COLORREF colour = 0x00FFFFFF;  // 0xFF000000: the default colour
    COLORREF savedColour;
    COLORREF customColours[CUSTOM_COLOUR_COUNT];
    COLORREF defaultColour;
};
