#include "controls/Button.h"

#include "controls/Look.h"

namespace {
const char kClassName[] = "button_class";
} // namespace

void Button::Create(HWND parent, int x, int y) {
    m_hWndParent = parent;
    m_commandId = 0;
    CreateObjectWindow(kClassName, "", WS_CHILD | WS_VISIBLE, x, y, kWidth, kHeight, parent);
}

void Button::Enable(const std::string& text, int32_t commandId) {
    EnableWindow(m_hWndButton, TRUE);
    SetWindowTextA(m_hWndButton, text.c_str());
    m_commandId = commandId;
    Redraw();
}

void Button::Disable(const std::string& text) {
    if (m_hWndButton && GetCapture() == m_hWndButton) ReleaseCapture();
    EnableWindow(m_hWndButton, FALSE);
    m_tracking = false;
    m_pressed = false;
    m_commandId = 0;
    SetWindowTextA(m_hWndButton, text.c_str());
    Redraw();
}

LRESULT Button::OnLButtonDown(POINT) {
    if (m_tracking) return 0;
    m_pressed = true;
    m_tracking = true;
    SetCapture(m_hWndButton);
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
    if (m_pressed && m_commandId != 0)
        SendMessageA(m_hWndParent, WM_COMMAND, static_cast<WPARAM>(LOWORD(m_commandId)), 0);
    if (m_hWndButton && GetCapture() == m_hWndButton) ReleaseCapture();
    m_pressed = false;
    m_tracking = false;
    Redraw();
    return 0;
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
    // GetWindowTextA cuts a longer caption to 127 bytes and its terminator.
    char caption[128] = {};
    GetWindowTextA(m_hWndButton, caption, sizeof caption);
    caption[sizeof caption - 1] = '\0';
    RECT text = area;
    DrawTextA(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
