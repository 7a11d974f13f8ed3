// The mouse as a user works it (SendInput, so the messages come through the system's
// input queue), and the message pump that lets windows react.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches every message that arrives within the given time.
void PumpMessages(DWORD milliseconds = 40);
// Pumps until done() or the timeout; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds = 3000);

// A client point of a window in screen coordinates.
POINT ScreenPoint(HWND window, int x, int y);

void MoveMouseTo(POINT screen);
void PressLeftButton();
void ReleaseLeftButton();
// Move, press, release.
void ClickAt(POINT screen);
