#include "framework/Wnd.h"

#include <vector>

namespace {
const char kObjectProp[] = "Trackvane.CWnd";
}

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }

CWnd::~CWnd() {
    if (m_hWnd && IsWindow(m_hWnd) && FromHandlePermanent(m_hWnd) == this) {
        if (m_superProc) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_superProc);
        RemovePropA(m_hWnd, kObjectProp);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND w) {
    return w ? static_cast<CWnd*>(GetPropA(w, kObjectProp)) : nullptr;
}

void CWnd::SetPermanent(HWND w) {
    m_hWnd = w;
    SetPropA(w, kObjectProp, this);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::Attach(HWND w) { SetPermanent(w); }

HWND CWnd::Detach() {
    HWND w = m_hWnd;
    if (w) RemovePropA(w, kObjectProp);
    m_hWnd = nullptr;
    return w;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) {
    HWND w = ::GetDlgItem(parent, id);
    return w ? SubclassWindow(w) : FALSE;
}

BOOL CWnd::SubclassWindow(HWND w) {
    SetPermanent(w);
    PreSubclassWindow();
    m_superProc = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)&CWnd::SubclassProc);
    return m_superProc != nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandlePermanent(w);
    if (!self) return DefWindowProcA(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC super = self->m_superProc;
        LRESULT r = super ? CallWindowProcA(super, w, msg, wp, lp) : 0;
        RemovePropA(w, kObjectProp);
        SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)super);
        self->m_hWnd = nullptr;
        self->m_superProc = nullptr;
        self->PostNcDestroy();
        return r;
    }
    return self->WindowProc(msg, wp, lp);
}

// Window procedure of classes the program registers itself; the object comes
// with the creation parameters.
LRESULT CALLBACK CWnd::RegisteredProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        if (auto* self = static_cast<CWnd*>(cs->lpCreateParams)) self->SetPermanent(w);
    }
    CWnd* self = FromHandlePermanent(w);
    if (!self) return DefWindowProcA(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT r = self->WindowProc(msg, wp, lp);
        RemovePropA(w, kObjectProp);
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
        return r;
    }
    return self->WindowProc(msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_superProc) return CallWindowProcA(m_superProc, m_hWnd, msg, wp, lp);
    return DefWindowProcA(m_hWnd, msg, wp, lp);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

std::string CWnd::GetWindowText() const {
    int n = GetWindowTextLengthA(m_hWnd);
    std::string s(n + 1, '\0');
    n = ::GetWindowTextA(m_hWnd, &s[0], n + 1);
    s.resize(n > 0 ? n : 0);
    return s;
}

void CWnd::SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }

std::string CWnd::GetDlgItemText(int id) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) return std::string();
    int n = GetWindowTextLengthA(item);
    std::string s(n + 1, '\0');
    n = ::GetWindowTextA(item, &s[0], n + 1);
    s.resize(n > 0 ? n : 0);
    return s;
}

void CWnd::SetDlgItemText(int id, const std::string& text) {
    ::SetDlgItemTextA(m_hWnd, id, text.c_str());
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
    LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    LONG_PTR changed = (style & ~(LONG_PTR)remove) | add;
    if (changed == style) return FALSE;
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, changed);
    return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// --- CListCtrl ---

void CListCtrl::SetExtendedStyle(DWORD style) {
    SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

int CListCtrl::InsertColumn(int col, const char* heading, int format, int width) {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    c.fmt = format;
    c.cx = width;
    c.pszText = const_cast<char*>(heading);
    c.iSubItem = col;
    return (int)SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, col, (LPARAM)&c);
}

BOOL CListCtrl::DeleteColumn(int col) {
    return (BOOL)SendMessageA(m_hWnd, LVM_DELETECOLUMN, col, 0);
}

int CListCtrl::GetColumnCount() const {
    HWND header = (HWND)SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0);
    return header ? (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
}

int CListCtrl::InsertItem(int row, const std::string& text) {
    LVITEMA it = {};
    it.mask = LVIF_TEXT;
    it.iItem = row;
    it.pszText = const_cast<char*>(text.c_str());
    return (int)SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, (LPARAM)&it);
}

BOOL CListCtrl::SetItemText(int row, int col, const std::string& text) {
    LVITEMA it = {};
    it.iSubItem = col;
    it.pszText = const_cast<char*>(text.c_str());
    return (BOOL)SendMessageA(m_hWnd, LVM_SETITEMTEXTA, row, (LPARAM)&it);
}

std::string CListCtrl::GetItemText(int row, int col) const {
    std::vector<char> buf(256);
    LVITEMA it = {};
    it.iSubItem = col;
    it.pszText = buf.data();
    it.cchTextMax = (int)buf.size();
    int n = (int)SendMessageA(m_hWnd, LVM_GETITEMTEXTA, row, (LPARAM)&it);
    return std::string(buf.data(), n > 0 ? n : 0);
}

BOOL CListCtrl::DeleteAllItems() { return (BOOL)SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }

int CListCtrl::GetItemCount() const { return (int)SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0); }

// --- CToolTipCtrl ---

BOOL CToolTipCtrl::Create(HWND parent) {
    HWND w = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parent, nullptr, AfxGetInstanceHandle(), nullptr);
    if (!w) return FALSE;
    m_hWnd = w;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(HWND owner, const char* text, const RECT& rect, UINT id) {
    TOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = 0;  // the owner relays its mouse messages
    ti.hwnd = owner;
    ti.uId = id;
    ti.rect = rect;
    ti.hinst = AfxGetInstanceHandle();
    ti.lpszText = const_cast<char*>(text);
    return (BOOL)SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
    if (m_hWnd) SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)msg);
}
