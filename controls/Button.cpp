#include "controls/Button.h"

#include "controls/DoubleBufferedPaint.h"
#include "resources/ResourceIds.h"
#include "wizard/Instance.h"

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
    int face = IDB_BUTTON_NORMAL;
    COLORREF captionColour = RGB(0, 0, 0);
    if (!IsWindowEnabled(m_hWndButton)) {
        face = IDB_BUTTON_DISABLED;
        captionColour = RGB(204, 204, 204);
    } else if (m_pressed) {
        face = IDB_BUTTON_PRESSED;
        captionColour = RGB(255, 255, 255);
    }
    SetTextColor(dc, captionColour);
    {
        GdiObject bitmap(LoadBitmapA(g_hInstance, MAKEINTRESOURCEA(face)));
        MemoryDc source(CreateCompatibleDC(dc));
        SelectedObject selected(source.Get(), bitmap.Get());
        BitBlt(dc, 0, 0, area.right, area.bottom, source.Get(), 0, 0, SRCCOPY);
    }

    GdiObject font = velk::CreateWizardFont(dc, 10, FW_BOLD, "Verdana");
    SelectedObject selectedFont(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    // GetWindowTextA cuts a longer caption to 127 bytes and its terminator.
    char caption[128] = {};
    GetWindowTextA(m_hWndButton, caption, sizeof caption);
    caption[sizeof caption - 1] = '\0';
    RECT text = area;
    DrawTextA(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
