#include "support/HostWindow.h"

#include "controls/WindowClass.h"

HostWindow::HostWindow(int width, int height, int x, int y) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.cbWndExtra = velk::kObjectExtraBytes;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "tidewell_test_host";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "host",
                             WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                             nullptr, wc.hInstance, this);
    if (m_hwnd) {
        SetForegroundWindow(m_hwnd);
        UpdateWindow(m_hwnd);
    }
}

HostWindow::~HostWindow() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HostWindow* self = velk::WindowObject<HostWindow>(hwnd, message, lParam);
    if (self && message == WM_COMMAND) {
        self->commands.push_back({wParam, lParam});
        if (self->onCommand)
            self->onCommand(wParam);
        return 0;
    }
    if (self && message == WM_NCDESTROY)
        self->m_hwnd = nullptr;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
