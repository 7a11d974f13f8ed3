#include "controls/Button.h"

#include "controls/Look.h"

namespace {
const char kClassName[] = "button_class";
} // namespace

void Button::Create(HWND parent, int x, int y) {
    m_hWndParent = parent;
    m_commandId = 0;
    CreateObjectWindow(kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, kWidth, kHeight,
                       parent);
}

void Button::Enable(const std::string& text, int32_t commandId) {
    EnableWindow(m_hWndButton, TRUE);
    SetWindowTextA(m_hWndButton, text.c_str());
    m_commandId = commandId;
    SetWindowLongPtrA(m_hWndButton, GWLP_ID, LOWORD(commandId));
    Redraw();
}

void Button::Disable(const std::string& text) {
    if (m_hWndButton && GetCapture() == m_hWndButton) ReleaseCapture();
    EnableWindow(m_hWndButton, FALSE);
    m_tracking = false;
    m_pressed = false;
    m_commandId = 0;
    SetWindowLongPtrA(m_hWndButton, GWLP_ID, 0);
    SetWindowTextA(m_hWndButton, text.c_str());
    Redraw();
}

LRESULT Button::OnLButtonDown(POINT) {
    if (m_tracking) return 0;
    m_pressed = true;
    m_tracking = true;
    SetCapture(m_hWndButton);
    SetFocus(m_hWndButton);
    Redraw();
    return 0;
}

LRESULT Button::OnMouseMove(POINT) {
    if (!m_tracking) return 0;
    RECT bounds;
    POINT cursor;
    GetWindowRect(m_hWndButton, &bounds);
    GetCursorPos(&cursor);
    const bool inside = PtInRect(&bounds, cursor) != FALSE;
    if (inside != m_pressed) {
        m_pressed = inside;
        Redraw();
    }
    return 0;
}

LRESULT Button::OnLButtonUp(POINT) {
    if (!m_tracking) return 0;
    // The parent acts before the button lets go, so it sees the press still held.
    if (m_pressed) Send();
    if (m_hWndButton && GetCapture() == m_hWndButton) ReleaseCapture();
    m_pressed = false;
    m_tracking = false;
    Redraw();
    return 0;
}

// Another window took the capture in the middle of a press: the press is over.
LRESULT Button::OnCaptureChanged() {
    if (m_tracking && !m_sending) {
        m_tracking = false;
        m_pressed = false;
        Redraw();
    }
    return 0;
}

LRESULT Button::OnGetDlgCode() {
    // The focused button is the one Enter presses.
    return DLGC_BUTTON | (GetFocus() == m_hWndButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT Button::OnKeyDown(UINT key, LPARAM flags) {
    // One press per key press, however long it is held.
    const bool repeat = (flags & (1 << 30)) != 0;
    if (key == VK_SPACE && !repeat && !m_tracking) Send();
    return 0;
}

LRESULT Button::OnSetFocus() {
    Redraw();
    return 0;
}

LRESULT Button::OnKillFocus() {
    Redraw();
    return 0;
}

LRESULT Button::OnUpdateUiState() {
    Default();
    Redraw();
    return 0;
}

void Button::Send() {
    if (m_commandId == 0) return;
    // The parent's handler may run a whole dialog, which takes the capture for a while.
    m_sending = true;
    SendMessageA(m_hWndParent, WM_COMMAND, static_cast<WPARAM>(LOWORD(m_commandId)), 0);
    m_sending = false;
}

LRESULT Button::OnCommand(int32_t id) {
    // A press a reader asked for; dropped when the step changed or a box came up since.
    if (id == LOWORD(m_commandId) && IsWindowEnabled(m_hWndButton) &&
        IsWindowEnabled(GetAncestor(m_hWndButton, GA_ROOT)))
        Send();
    return 0;
}

velk::AccessiblePart Button::DescribePart(LONG) const {
    velk::AccessiblePart part;
    part.name = Caption();
    part.defaultAction = "按下";
    part.role = ROLE_SYSTEM_PUSHBUTTON;
    if (!IsWindowEnabled(m_hWndButton))
        part.state = STATE_SYSTEM_UNAVAILABLE;
    else
        part.state =
            STATE_SYSTEM_FOCUSABLE | (GetFocus() == m_hWndButton ? STATE_SYSTEM_FOCUSED : 0);
    GetClientRect(m_hWndButton, &part.bounds);
    return part;
}

bool Button::DoDefaultAction(LONG) {
    if (!IsWindowEnabled(m_hWndButton) || m_commandId == 0) return false;
    // Pressed from the message loop, as a click is: the reader's call returns at once,
    // and no box of the parent's runs inside it.
    PostMessageA(m_hWndButton, WM_COMMAND, static_cast<WPARAM>(LOWORD(m_commandId)), 0);
    return true;
}

std::string Button::Caption() const {
    // GetWindowTextA cuts a longer caption to 127 bytes and its terminator.
    char caption[128] = {};
    GetWindowTextA(m_hWndButton, caption, sizeof caption);
    caption[sizeof caption - 1] = '\0';
    return caption;
}

void Button::Redraw() {
    if (m_hWndButton) InvalidateRect(m_hWndButton, nullptr, FALSE);
}

void Button::Paint(HDC dc, const RECT& area) {
    const velk::Look& look = velk::TheLook();
    int face = 0;
    COLORREF captionColour = velk::kBlack;
    if (!IsWindowEnabled(m_hWndButton)) {
        face = 2;
        captionColour = velk::kDisabledCaptionColour;
    } else if (m_pressed) {
        face = 1;
        captionColour = velk::kWhite;
    }
    SetTextColor(dc, captionColour);
    {
        MemoryDc source(CreateCompatibleDC(dc));
        SelectedObject selected(source.Get(), look.buttonFaces[face].Get());
        BitBlt(dc, 0, 0, area.right, area.bottom, source.Get(), 0, 0, SRCCOPY);
    }

    SelectedObject selectedFont(dc, look.buttonFont.Get());
    SetBkMode(dc, TRANSPARENT);
    const std::string caption = Caption();
    RECT text = area;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (velk::ShowsFocus(m_hWndButton)) {
        RECT focus = area;
        InflateRect(&focus, -kFocusInset, -kFocusInset);
        DrawFocusRect(dc, &focus);
    }
}
