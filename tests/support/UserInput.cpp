#include "support/UserInput.h"

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start >= milliseconds)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (true);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMilliseconds)
            return done();
        PumpMessages(10);
    }
    return true;
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

namespace {

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

void MoveMouseTo(POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MulDiv(screen.x, 65535, width - 1),
              MulDiv(screen.y, 65535, height - 1));
    // Normalised coordinates may round a pixel away; the pointer lands exactly here.
    SetCursorPos(screen.x, screen.y);
    PumpMessages();
}

void PressLeftButton() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    PumpMessages();
}

void ReleaseLeftButton() {
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpMessages();
}

void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    PressLeftButton();
    ReleaseLeftButton();
}
