// Dialogs from templates in the resources, modal or modeless.
//
// Message flow: the pump (RunMessagePump) offers every message to
// PreTranslateMessage of the window it is for and of each parent up to the
// top-level window; what nobody takes is translated and dispatched. A
// dialog's messages reach its OnMessage, one switch per class; WM_COMMAND
// goes to OnOK, OnCancel or OnCommand, WM_NOTIFY to OnNotify, and
// notifications of controls that have an object of their own are reflected
// to that control first.
#pragma once

#include "framework/Wnd.h"

// Data exchange: binds controls of the template to wrapper objects.
struct CDataExchange {
    HWND dialog;
    bool saveAndValidate;
};
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog.
    INT_PTR DoModal();
    // Creates the dialog modeless and hidden or shown as its template says.
    BOOL Create(UINT templateId, HWND owner);
    void EndDialog(INT_PTR result);

    BOOL PreTranslateMessage(MSG* msg) override;

    UINT templateId() const { return m_templateId; }

protected:
    virtual int OnCreate() { return 0; }
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnCommand(UINT id, UINT code);
    virtual LRESULT OnNotify(NMHDR* header);
    virtual void OnDestroy() {}
    // A class's own messages; return TRUE when handled and set *result.
    virtual BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    UINT m_templateId;
    HWND m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    void handBackToOwner();

    HWND m_owner = nullptr;
    bool m_ownerDisabled = false;
    bool m_modal = false;
    bool m_endModal = false;
    INT_PTR m_result = IDCANCEL;
};

// WM_PAINT of a dialog: while it is minimised (the task bar of old Windows
// shows it as an icon), its icon centred; returns whether it painted.
BOOL paintIconWhileMinimized(HWND dialog, HICON icon);

// Offers a message to the PreTranslateMessage of its window and the window's
// parents, up to and including the top-level window.
BOOL WalkPreTranslateTree(MSG* msg);
// Pumps messages until *done is set or WM_QUIT arrives.
void RunMessagePump(const bool* done);
