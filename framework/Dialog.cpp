#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/Handles.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;  // bound already: data exchange runs again
    HWND item = GetDlgItem(dx->dialog, id);
    if (item) control.SubclassWindow(item);
}

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        HWND w = m_hWnd;
        Detach();
        ::DestroyWindow(w);
    }
}

INT_PTR CDialog::DoModal() {
    // Like the framework this stands in for: a dialog without a parent is
    // owned by the main window, which is disabled while it runs.
    HWND owner = m_parent;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this) owner = main->m_hWnd;
    }
    m_modal = true;
    m_endModal = false;
    m_result = IDCANCEL;
    HWND w = CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                                &CDialog::DialogProc, (LPARAM)this);
    if (!w) {
        m_modal = false;
        return -1;
    }
    m_owner = owner;
    m_ownerDisabled = owner && IsWindowEnabled(owner);
    if (m_ownerDisabled) EnableWindow(owner, FALSE);
    if (!m_endModal && IsWindow(w)) {
        if (!IsWindowVisible(w)) ShowWindow(w, SW_SHOW);
        RunMessagePump(&m_endModal);
    }
    handBackToOwner();
    if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_modal = false;
    return m_result;
}

BOOL CDialog::Create(UINT templateId, HWND owner) {
    m_templateId = templateId;
    HWND w = CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(templateId), owner,
                                &CDialog::DialogProc, (LPARAM)this);
    return w != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    if (m_modal) {
        m_endModal = true;
        handBackToOwner();
        PostMessageW(nullptr, WM_NULL, 0, 0);  // wake the pump
    } else {
        DestroyWindow();
    }
}

// As the system's own EndDialog: the owner is enabled and activated again
// before the dialog is hidden without activating anything. Otherwise the
// system activates another window of the program (the audience window), and
// the operator's keys no longer reach the owner.
void CDialog::handBackToOwner() {
    if (m_ownerDisabled) EnableWindow(m_owner, TRUE);
    m_ownerDisabled = false;
    if (!m_hWnd || !IsWindow(m_hWnd)) return;
    const bool wasActive = GetActiveWindow() == m_hWnd;
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (wasActive && m_owner) SetActiveWindow(m_owner);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd)
        return IsDialogMessageW(m_hWnd, msg);
    return FALSE;
}

BOOL CDialog::OnInitDialog() {
    CDataExchange dx = {m_hWnd, false};
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::OnCommand(UINT, UINT) {}
LRESULT CDialog::OnNotify(NMHDR*) { return 0; }
BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

INT_PTR CALLBACK CDialog::DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lp);
        self->SetPermanent(w);
        if (self->OnCreate() == -1) {
            ::DestroyWindow(w);
            return FALSE;
        }
        return self->OnInitDialog();
    }
    auto* self = static_cast<CDialog*>(FromHandlePermanent(w));
    return self ? self->Dispatch(msg, wp, lp) : FALSE;
}

bool CDialog::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    HWND child = nullptr;
    if (msg == WM_COMMAND) child = (HWND)lp;
    else if (msg == WM_NOTIFY) child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
    else if (msg == WM_DRAWITEM && wp != 0) child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
    CWnd* control = child ? FromHandlePermanent(child) : nullptr;
    return control && control != this && control->OnChildNotify(msg, wp, lp, result);
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, &result)) {
        // These few return their value directly instead of through DWLP_MSGRESULT.
        if (msg == WM_QUERYDRAGICON || msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC ||
            msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORDLG || msg == WM_CTLCOLORLISTBOX)
            return (INT_PTR)result;
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (msg) {
    case WM_COMMAND: {
        if (lp && ReflectToChild(msg, wp, lp, &result)) return TRUE;
        const UINT id = LOWORD(wp);
        const UINT code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) OnOK();
        else if (id == IDCANCEL && code == BN_CLICKED) OnCancel();
        else OnCommand(id, code);
        return TRUE;
    }
    case WM_NOTIFY:
        if (!ReflectToChild(msg, wp, lp, &result)) result = OnNotify(reinterpret_cast<NMHDR*>(lp));
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    case WM_DRAWITEM:
        return ReflectToChild(msg, wp, lp, &result) ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_NCDESTROY:
        Detach();
        if (m_modal) m_endModal = true;
        return FALSE;
    }
    return FALSE;
}

BOOL WalkPreTranslateTree(MSG* msg) {
    for (HWND h = msg->hwnd; h; h = GetParent(h)) {
        CWnd* w = CWnd::FromHandlePermanent(h);
        if (w && w->PreTranslateMessage(msg)) return TRUE;
        if (!(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;  // top level reached
    }
    return FALSE;
}

void RunMessagePump(const bool* done) {
    MSG m;
    while (!*done) {
        BOOL r = GetMessageW(&m, nullptr, 0, 0);
        if (r == 0) {
            PostQuitMessage((int)m.wParam);
            return;
        }
        if (r == -1) return;
        if (!WalkPreTranslateTree(&m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

BOOL paintIconWhileMinimized(HWND dialog, HICON icon) {
    if (!IsIconic(dialog)) return FALSE;
    ScopedPaint paint(dialog);
    HDC dc = paint.dc();
    SendMessageW(dialog, WM_ICONERASEBKGND, (WPARAM)dc, 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    return TRUE;
}
