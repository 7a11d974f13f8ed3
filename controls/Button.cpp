#include "controls/Button.h"

#include "controls/DoubleBufferedPaint.h"
#include "controls/WindowClass.h"
#include "engine/FatalAssert.h"
#include "resources/ResourceIds.h"
#include "wizard/Instance.h"

namespace {
const char kClassName[] = "button_class";
} // namespace

void Button::Create(HWND parent, int x, int y) {
    velk::RegisterObjectClass(kClassName, WindowProc);
    m_hWndParent = parent;
    m_commandId = 0;
    m_hWndButton = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, kWidth, kHeight,
                                   parent, nullptr, g_hInstance, this);
    VELK_ASSERT(m_hWndButton, "Button");
}

void Button::Enable(const std::string& text, int32_t commandId) {
    EnableWindow(m_hWndButton, TRUE);
    SetWindowTextA(m_hWndButton, text.c_str());
    m_commandId = commandId;
    Redraw();
}

void Button::Disable(const std::string& text) {
    if (m_hWndButton && GetCapture() == m_hWndButton)
        ReleaseCapture();
    EnableWindow(m_hWndButton, FALSE);
    m_tracking = false;
    m_pressed = false;
    m_commandId = 0;
    SetWindowTextA(m_hWndButton, text.c_str());
    Redraw();
}

LRESULT CALLBACK Button::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Button* self = velk::WindowObject<Button>(hwnd, message, lParam);
    if (message == WM_CREATE) {
        if (self)
            self->m_hWndButton = hwnd;
        return 0;
    }
    if (!self || !self->m_hWndButton)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        self->OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        self->OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        self->OnButtonDown();
        return 0;
    case WM_LBUTTONUP:
        self->OnButtonUp();
        return 0;
    case WM_NCDESTROY:
        // The object outlives its window (it is a member of the frame).
        self->m_hWndButton = nullptr;
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Button::OnButtonDown() {
    if (m_tracking)
        return;
    m_pressed = true;
    m_tracking = true;
    SetCapture(m_hWndButton);
    Redraw();
}

void Button::OnMouseMove() {
    if (!m_tracking)
        return;
    RECT bounds;
    POINT cursor;
    GetWindowRect(m_hWndButton, &bounds);
    GetCursorPos(&cursor);
    const bool inside = PtInRect(&bounds, cursor) != FALSE;
    if (inside != m_pressed) {
        m_pressed = inside;
        Redraw();
    }
}

void Button::OnButtonUp() {
    if (!m_tracking)
        return;
    // The parent acts before the button lets go, so it sees the press still held.
    if (m_pressed && m_commandId != 0)
        SendMessageA(m_hWndParent, WM_COMMAND, static_cast<WPARAM>(LOWORD(m_commandId)), 0);
    if (m_hWndButton && GetCapture() == m_hWndButton)
        ReleaseCapture();
    m_pressed = false;
    m_tracking = false;
    Redraw();
}

void Button::Redraw() {
    if (m_hWndButton)
        InvalidateRect(m_hWndButton, nullptr, FALSE);
}

void Button::OnPaint() {
    velk::DoubleBufferedPaint paint(m_hWndButton, kWidth, kHeight);
    const HDC dc = paint.Dc();

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
        BitBlt(dc, 0, 0, kWidth, kHeight, source.Get(), 0, 0, SRCCOPY);
    }

    GdiObject font = velk::CreateWizardFont(dc, 10, FW_BOLD, "Verdana");
    SelectedObject selectedFont(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    // GetWindowTextA cuts a longer caption to 127 bytes and its terminator.
    char caption[128] = {};
    GetWindowTextA(m_hWndButton, caption, sizeof caption);
    caption[sizeof caption - 1] = '\0';
    RECT area = {0, 0, kWidth, kHeight};
    DrawTextA(dc, caption, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
