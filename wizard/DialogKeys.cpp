#include "wizard/DialogKeys.h"

#include <windowsx.h>

namespace {

// Each control repaints with its focus shown or hidden.
BOOL CALLBACK TellUiState(HWND control, LPARAM state) {
    SendMessageA(control, WM_UPDATEUISTATE, static_cast<WPARAM>(state), 0);
    return TRUE;
}

} // namespace

void DialogKeys::Deliver(MSG& msg) {
    const bool keyDown = msg.message == WM_KEYDOWN;
    // A held Enter or Esc acts once: its repeats would answer the next page or box too.
    if (keyDown && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && (msg.lParam & (1 << 30)))
        return;
    if ((keyDown || msg.message == WM_SYSKEYDOWN) && !m_used) {
        const bool focusOnWindow = GetFocus() == m_hWnd;
        ShowCues();
        // The first Tab shows the focus where it now is: on the page's first control.
        if (keyDown && msg.wParam == VK_TAB && focusOnWindow && GetFocus() != m_hWnd) return;
        // The first key goes to the control that has the focus now.
        if (msg.hwnd == m_hWnd && GetFocus()) msg.hwnd = GetFocus();
    }
    // The wheel scrolls what is under the pointer, not what has the focus.
    if (msg.message == WM_MOUSEWHEEL) {
        const POINT at = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        const HWND under = WindowFromPoint(at);
        if (IsChild(m_hWnd, under)) msg.hwnd = under;
    }
    if (!IsDialogMessageA(m_hWnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void DialogKeys::ShowCues() {
    if (m_used) return;
    m_used = true;
    EnumChildWindows(m_hWnd, TellUiState, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
    if (GetFocus() == m_hWnd) FocusControl();
}

void DialogKeys::FocusControl() {
    HWND control = m_hWndFocus;
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control))
        control = GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (control) SetFocus(control);
}

void DialogKeys::PageShown() {
    m_hWndFocus = nullptr;
    if (m_used && GetActiveWindow() == m_hWnd) FocusControl();
}

void DialogKeys::Activated(bool active) {
    // As a dialog does: the control that had the focus has it again on return.
    if (!active) {
        const HWND focus = GetFocus();
        m_hWndFocus = IsChild(m_hWnd, focus) ? focus : nullptr;
    }
}
