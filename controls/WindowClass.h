// What every window class of the wizard shares: the object behind a window lives in
// window extra word 0 from WM_NCCREATE to WM_NCDESTROY, and its messages reach typed
// handlers.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velk {

class Accessible;

// Room for the object pointer: 8 bytes on x64.
constexpr int kObjectExtraBytes = sizeof(void*);

// Whether a window has the focus and shows it: its top window says whether the keyboard
// has been used.
bool ShowsFocus(HWND hwnd);

// Registers a class whose windows paint every pixel themselves (no background brush)
// and keep their object in extra word 0. Registering it again fails harmlessly.
void RegisterObjectClass(const char* className, WNDPROC windowProc, HICON icon = nullptr);

// The object of a window: on WM_NCCREATE taken from the creation parameter and stored,
// on WM_NCDESTROY handed out a last time and forgotten; null before WM_NCCREATE.
template <typename T> T* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        T* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(object));
        return object;
    }
    T* object = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, 0));
    if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, 0, 0);
    return object;
}

// Base of every window object. The object outlives its window: the handle it keeps is
// null before the window is made and after it is gone.
class ObjectWindow {
public:
    ObjectWindow(const ObjectWindow&) = delete;
    ObjectWindow& operator=(const ObjectWindow&) = delete;

protected:
    ObjectWindow() = default;
    ~ObjectWindow() = default;

    // Registers the class right before its window is made; stops the program when no
    // window comes of it.
    HWND CreateObjectWindow(const char* className, const char* text, DWORD style, int x, int y,
                            int width, int height, HWND parent, HICON icon = nullptr);
    // Where the derived class keeps the handle of its window.
    virtual HWND& HandleSlot() = 0;
    // The default window procedure on the message being handled.
    LRESULT Default() const;

    // Unless overridden, each answers as the default window procedure does.
    virtual LRESULT OnCreate() { return Default(); }
    virtual LRESULT OnDestroy() { return Default(); }
    virtual LRESULT OnLButtonDown(POINT) { return Default(); }
    virtual LRESULT OnLButtonUp(POINT) { return Default(); }
    virtual LRESULT OnMouseMove(POINT) { return Default(); }
    virtual LRESULT OnVScroll(int /*request*/) { return Default(); }
    virtual LRESULT OnTimer(UINT_PTR /*id*/) { return Default(); }
    virtual LRESULT OnCommand(int32_t /*id*/) { return Default(); }
    virtual LRESULT OnSetCursor(HWND /*under*/, int /*hitTest*/) { return Default(); }
    virtual LRESULT OnCtlColorStatic(HDC, HWND /*control*/) { return Default(); }
    // The keyboard: a key with its repeat flags, focus, and what the dialog manager may
    // take for itself.
    virtual LRESULT OnKeyDown(UINT /*key*/, LPARAM /*flags*/) { return Default(); }
    virtual LRESULT OnChar(UINT /*character*/) { return Default(); }
    virtual LRESULT OnSetFocus() { return Default(); }
    virtual LRESULT OnKillFocus() { return Default(); }
    virtual LRESULT OnGetDlgCode() { return Default(); }
    // Wheel turns in WHEEL_DELTA units, the point in screen coordinates.
    virtual LRESULT OnMouseWheel(int /*delta*/, POINT /*screen*/) { return Default(); }
    virtual LRESULT OnCaptureChanged() { return Default(); }
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return Default(); }
    // What a screen reader is given of a control that has it: it answers WM_GETOBJECT,
    // and is cut off from the control when the window goes.
    virtual Accessible* Accessibility() { return nullptr; }
    virtual LRESULT OnUpdateUiState() { return Default(); }
    // The top window of the dialog manager: who remembers the focus, which command Enter gives.
    virtual LRESULT OnActivate(bool /*active*/) { return Default(); }
    virtual LRESULT OnGetDefId() { return Default(); }
    virtual LRESULT OnQueryUiState() { return Default(); }
    // Draws the whole client area into the off-screen image of a WM_PAINT.
    virtual void Paint(HDC, const RECT& /*area*/) {}

private:
    struct Message {
        HWND hwnd;
        UINT id;
        WPARAM wParam;
        LPARAM lParam;
    };
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(const Message& message);

    const Message* m_message = nullptr; // the one being handled, for Default
};

} // namespace velk
