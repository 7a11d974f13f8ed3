// The mouse as a user works it (SendInput: through the system's input queue), and the
// message pump that lets windows react.
#pragma once

#include <windows.h>

#include <functional>

// Where the pumps hand each message: a test of the main window hands them to its loop.
inline std::function<void(MSG&)> g_deliver;

inline void PumpMessages(DWORD milliseconds = 40) {
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            g_deliver ? g_deliver(msg) : void(DispatchMessageA(&msg));
    } while (GetTickCount() - start < milliseconds &&
             MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT) != WAIT_FAILED);
}

// Pumps until done() or the timeout; answers done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds = 3000) {
    for (const DWORD start = GetTickCount();
         !done() && GetTickCount() - start < timeoutMilliseconds;)
        PumpMessages(10);
    return done();
}

inline POINT ScreenPoint(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

inline void SendMouse(DWORD flags, POINT screen = {}) {
    INPUT input = {INPUT_MOUSE,
                   {{MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1),
                     MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1), 0, flags, 0, 0}}};
    SendInput(1, &input, sizeof input);
    // Normalised coordinates may round a pixel away; the pointer lands exactly here.
    if (flags & MOUSEEVENTF_MOVE) SetCursorPos(screen.x, screen.y);
    PumpMessages();
}

inline void MoveMouseTo(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
}

inline void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

// A key pressed and let go, as a keyboard gives it.
// A key pressed and let go, with a modifier (VK_SHIFT) held around it when given.
inline void SendKey(WORD key, WORD modifier = 0) {
    INPUT keys[4] = {};
    const WORD order[4] = {modifier, key, key, modifier};
    UINT count = 0;
    for (int i = 0; i < 4; ++i)
        if (order[i]) {
            keys[count].type = INPUT_KEYBOARD, keys[count].ki.wVk = order[i];
            keys[count++].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        }
    SendInput(count, keys, sizeof keys[0]);
    PumpMessages();
}
