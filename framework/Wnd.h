// The window base of the small dialog framework, and the thin control
// wrappers the dialogs use. A CWnd is tied to its HWND through a window
// property, so that the message pump and the parent's reflection can find the
// object behind any window.
//
// Every window is a Unicode window. Texts pass here as the program keeps
// them, in code page 936, and reach the system as UTF-16 (framework/WideText),
// so a dialog that sets and reads its texts through these members shows right
// Chinese on a PC of any code page.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    operator HWND() const { return m_hWnd; }

    // The object a window belongs to, or null.
    static CWnd* FromHandlePermanent(HWND w);

    // Every message of a window and its children passes here before it is
    // dispatched; TRUE means it was handled and goes no further.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Takes over a control of a dialog: its messages come to WindowProc.
    BOOL SubclassDlgItem(UINT id, HWND parent);
    BOOL SubclassWindow(HWND w);
    // Ties the object to a window without taking over its messages.
    void Attach(HWND w);
    HWND Detach();

    // Notifications the parent reflects back to the control that sent them.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    std::string GetWindowText() const;
    void SetWindowText(const std::string& text);
    // The numbers (from 1) of lines that lost a character code page 936
    // lacks go to *lossyLines.
    std::string GetDlgItemText(int id, std::vector<int>* lossyLines = nullptr) const;
    void SetDlgItemText(int id, const std::string& text);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL ModifyStyle(DWORD remove, DWORD add);
    BOOL DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    virtual void PreSubclassWindow() {}
    // Messages of a subclassed or self-registered window.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    // The window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}

    static LRESULT CALLBACK SubclassProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK RegisteredProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    void SetPermanent(HWND w);

    WNDPROC m_superProc = nullptr;
};

class CButton : public CWnd {};

// The report-style list view of the control dialog.
class CListCtrl : public CWnd {
public:
    void SetExtendedStyle(DWORD style);
    int InsertColumn(int col, const char* heading, int format, int width);
    BOOL DeleteColumn(int col);
    int GetColumnCount() const;
    int InsertItem(int row, const std::string& text);
    BOOL SetItemText(int row, int col, const std::string& text);
    std::string GetItemText(int row, int col) const;
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // Selects the row (and tells the parent, as a click would).
    void SelectItem(int row);
};

// Tooltips over rectangles of one window.
class CToolTipCtrl : public CWnd {
public:
    BOOL Create(HWND parent);
    BOOL AddTool(HWND owner, const char* text, const RECT& rect, UINT id);
    void RelayEvent(MSG* msg);
};

HINSTANCE AfxGetInstanceHandle();
