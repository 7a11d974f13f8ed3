// What every window class of the wizard shares: the object behind a window lives in
// window extra word 0, put there from the creation parameter on WM_CREATE.
#pragma once

#include <windows.h>

namespace velk {

// Room for the object pointer: 8 bytes on x64.
constexpr int kObjectExtraBytes = sizeof(void*);

// Registers a class whose windows paint every pixel themselves (no background brush)
// and keep their object in extra word 0. Registering it again fails harmlessly.
void RegisterObjectClass(const char* className, WNDPROC windowProc);

// The object of a window: on WM_CREATE taken from the creation parameter and stored,
// afterwards read back; null for the messages that come before WM_CREATE.
template <typename T> T* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_CREATE) {
        T* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(object));
        return object;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, 0));
}

} // namespace velk
