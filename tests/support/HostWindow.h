// A top-level window standing in for the main window: it holds the controls under
// test and records the commands they send it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

struct ReceivedCommand {
    WPARAM wParam;
    LPARAM lParam;
};

class HostWindow {
public:
    // Client area width x height at the screen point (x, y), shown and on top.
    HostWindow(int width, int height, int x = 40, int y = 40);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return m_hwnd; }

    std::vector<ReceivedCommand> commands;
    // Runs inside the WM_COMMAND, as the frame's handler would.
    std::function<void(WPARAM)> onCommand;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};
