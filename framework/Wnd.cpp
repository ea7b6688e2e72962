#include "framework/Wnd.h"

#include "framework/WideText.h"

#include <vector>

namespace {
const wchar_t kObjectProp[] = L"Trackvane.CWnd";

std::string textOf(HWND w, std::vector<int>* lossyLines = nullptr) {
    if (!w) return std::string();
    int n = GetWindowTextLengthW(w);
    std::wstring s(n + 1, L'\0');
    n = ::GetWindowTextW(w, &s[0], n + 1);
    s.resize(n > 0 ? n : 0);
    return wideToAnsi(s, lossyLines);
}
}  // namespace

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }

CWnd::~CWnd() {
    if (m_hWnd && IsWindow(m_hWnd) && FromHandlePermanent(m_hWnd) == this) {
        if (m_superProc) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_superProc);
        RemovePropW(m_hWnd, kObjectProp);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND w) {
    return w ? static_cast<CWnd*>(GetPropW(w, kObjectProp)) : nullptr;
}

void CWnd::SetPermanent(HWND w) {
    m_hWnd = w;
    SetPropW(w, kObjectProp, this);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::Attach(HWND w) { SetPermanent(w); }

HWND CWnd::Detach() {
    HWND w = m_hWnd;
    if (w) RemovePropW(w, kObjectProp);
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
    m_superProc = (WNDPROC)SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)&CWnd::SubclassProc);
    return m_superProc != nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandlePermanent(w);
    if (!self) return DefWindowProcW(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC super = self->m_superProc;
        LRESULT r = super ? CallWindowProcW(super, w, msg, wp, lp) : 0;
        RemovePropW(w, kObjectProp);
        SetWindowLongPtrW(w, GWLP_WNDPROC, (LONG_PTR)super);
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
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        if (auto* self = static_cast<CWnd*>(cs->lpCreateParams)) self->SetPermanent(w);
    }
    CWnd* self = FromHandlePermanent(w);
    if (!self) return DefWindowProcW(w, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT r = self->WindowProc(msg, wp, lp);
        RemovePropW(w, kObjectProp);
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
        return r;
    }
    return self->WindowProc(msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_superProc) return CallWindowProcW(m_superProc, m_hWnd, msg, wp, lp);
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

std::string CWnd::GetWindowText() const { return textOf(m_hWnd); }

void CWnd::SetWindowText(const std::string& text) { ::SetWindowTextW(m_hWnd, toWide(text).c_str()); }

std::string CWnd::GetDlgItemText(int id, std::vector<int>* lossyLines) const {
    return textOf(::GetDlgItem(m_hWnd, id), lossyLines);
}

void CWnd::SetDlgItemText(int id, const std::string& text) {
    ::SetDlgItemTextW(m_hWnd, id, toWide(text).c_str());
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
    LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    LONG_PTR changed = (style & ~(LONG_PTR)remove) | add;
    if (changed == style) return FALSE;
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, changed);
    return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// --- CListCtrl ---

void CListCtrl::SetExtendedStyle(DWORD style) {
    SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

int CListCtrl::InsertColumn(int col, const char* heading, int format, int width) {
    std::wstring text = toWide(heading);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    c.fmt = format;
    c.cx = width;
    c.pszText = &text[0];
    c.iSubItem = col;
    return (int)SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, col, (LPARAM)&c);
}

BOOL CListCtrl::DeleteColumn(int col) {
    return (BOOL)SendMessageW(m_hWnd, LVM_DELETECOLUMN, col, 0);
}

int CListCtrl::GetColumnCount() const {
    HWND header = (HWND)SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    return header ? (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
}

int CListCtrl::InsertItem(int row, const std::string& text) {
    std::wstring wide = toWide(text);
    LVITEMW it = {};
    it.mask = LVIF_TEXT;
    it.iItem = row;
    it.pszText = &wide[0];
    return (int)SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, (LPARAM)&it);
}

BOOL CListCtrl::SetItemText(int row, int col, const std::string& text) {
    std::wstring wide = toWide(text);
    LVITEMW it = {};
    it.iSubItem = col;
    it.pszText = &wide[0];
    return (BOOL)SendMessageW(m_hWnd, LVM_SETITEMTEXTW, row, (LPARAM)&it);
}

std::string CListCtrl::GetItemText(int row, int col) const {
    std::vector<wchar_t> buf(256);
    LVITEMW it = {};
    it.iSubItem = col;
    it.pszText = buf.data();
    it.cchTextMax = (int)buf.size();
    int n = (int)SendMessageW(m_hWnd, LVM_GETITEMTEXTW, row, (LPARAM)&it);
    return wideToAnsi(std::wstring(buf.data(), n > 0 ? n : 0));
}

BOOL CListCtrl::DeleteAllItems() { return (BOOL)SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }

int CListCtrl::GetItemCount() const { return (int)SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0); }

void CListCtrl::SelectItem(int row) {
    LVITEMW it = {};
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hWnd, LVM_SETITEMSTATE, row, (LPARAM)&it);
    SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, row, FALSE);
}

// --- CToolTipCtrl ---

BOOL CToolTipCtrl::Create(HWND parent) {
    HWND w = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parent, nullptr, AfxGetInstanceHandle(), nullptr);
    if (!w) return FALSE;
    m_hWnd = w;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(HWND owner, const char* text, const RECT& rect, UINT id) {
    std::wstring wide = toWide(text);
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = 0;  // the owner relays its mouse messages
    ti.hwnd = owner;
    ti.uId = id;
    ti.rect = rect;
    ti.hinst = AfxGetInstanceHandle();
    ti.lpszText = &wide[0];  // the control keeps a copy
    return (BOOL)SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, (LPARAM)&ti);
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
    if (m_hWnd) SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, (LPARAM)msg);
}
