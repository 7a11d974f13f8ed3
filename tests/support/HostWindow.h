// A top-level window standing in for the main window: it holds the controls under
// test and records the commands they send it.
#pragma once

#include "controls/WindowClass.h"
#include "engine/Instance.h"

#include <functional>
#include <vector>

class HostWindow {
public:
    // Client area width x height at the screen point (x, y), shown and on top.
    HostWindow(int width, int height, int x = 40, int y = 40) {
        velk::RegisterObjectClass("tidewell_test_host", WindowProc);
        m_hwnd = CreateWindowExA(WS_EX_TOPMOST, "tidewell_test_host", "host",
                                 WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                                 nullptr, nullptr, g_hInstance, this);
    }
    ~HostWindow() { DestroyWindow(m_hwnd); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return m_hwnd; }

    std::vector<WPARAM> commands;
    // Runs inside the WM_COMMAND, as the frame's handler would.
    std::function<void(WPARAM)> onCommand;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        HostWindow* self = velk::WindowObject<HostWindow>(hwnd, message, lParam);
        if (!self || message != WM_COMMAND) {
            if (self && message == WM_NCDESTROY) self->m_hwnd = nullptr; // destroyed by the test
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        self->commands.push_back(wParam);
        if (self->onCommand) self->onCommand(wParam);
        return 0;
    }

    HWND m_hwnd = nullptr;
};
