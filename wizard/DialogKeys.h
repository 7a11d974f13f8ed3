// The keyboard of the main window, as a dialog's: Tab, Enter, Esc and the arrows through
// the dialog manager, and the focus shown only once a key has been pressed, so that the
// mouse sees the window as it always was.
#pragma once

#include <windows.h>

class DialogKeys {
public:
    void Attach(HWND window) { m_hWnd = window; }
    // One message of the window's loop: the dialog manager's keys first, then the rest.
    void Deliver(MSG& msg);
    // From the first key on: focus rectangles show, and a control has the focus.
    void ShowCues();
    bool CuesShown() const { return m_used; }
    // The focus to the control that had it last, else to the page's first.
    void FocusControl();
    // Once keys are in use, a new page's first control has the focus, now or when the
    // window is active again.
    void PageShown();
    // The window's WM_ACTIVATE: the control with the focus is remembered when it goes.
    void Activated(bool active);
    // The window's WM_QUERYUISTATE, which the controls ask before showing their focus.
    LRESULT UiState() const { return m_used ? 0 : UISF_HIDEFOCUS | UISF_HIDEACCEL; }

private:
    HWND m_hWnd = nullptr;
    HWND m_hWndFocus = nullptr; // the control that had the focus when the window went inactive
    bool m_used = false;        // a key was pressed
};
