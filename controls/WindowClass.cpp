#include "controls/WindowClass.h"

#include "controls/Accessible.h"
#include "controls/DoubleBufferedPaint.h"
#include "engine/FatalAssert.h"
#include "engine/Instance.h"

#include <windowsx.h>

namespace velk {

void RegisterObjectClass(const char* className, WNDPROC windowProc, HICON icon) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.cbWndExtra = kObjectExtraBytes;
    wc.hInstance = g_hInstance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
}

bool ShowsFocus(HWND hwnd) {
    return hwnd && GetFocus() == hwnd &&
           !(SendMessageA(GetAncestor(hwnd, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

HWND ObjectWindow::CreateObjectWindow(const char* className, const char* text, DWORD style, int x,
                                      int y, int width, int height, HWND parent, HICON icon) {
    RegisterObjectClass(className, WindowProc, icon);
    const HWND hwnd = CreateWindowExA(0, className, text, style, x, y, width, height, parent,
                                      nullptr, g_hInstance, this);
    VELK_ASSERT(hwnd, className);
    return hwnd;
}

LRESULT CALLBACK ObjectWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ObjectWindow* self = WindowObject<ObjectWindow>(hwnd, message, lParam);
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    // Set first, so that a window made on WM_CREATE can be its child.
    if (message == WM_NCCREATE) self->HandleSlot() = hwnd;
    if (message == WM_NCDESTROY) {
        self->HandleSlot() = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const Message current = {hwnd, message, wParam, lParam};
    const Message* outer = self->m_message; // a handler may send a message to its own window
    self->m_message = &current;
    const LRESULT result = self->Dispatch(current);
    self->m_message = outer;
    return result;
}

LRESULT ObjectWindow::Dispatch(const Message& message) {
    const WPARAM wParam = message.wParam;
    const LPARAM lParam = message.lParam;
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message.id) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        if (Accessible* accessible = Accessibility()) accessible->Disconnect();
        return OnDestroy();
    case WM_PAINT: {
        DoubleBufferedPaint paint(message.hwnd);
        Paint(paint.Dc(), paint.Area());
        return 0;
    }
    case WM_LBUTTONDOWN:
        return OnLButtonDown(at);
    case WM_LBUTTONUP:
        return OnLButtonUp(at);
    case WM_MOUSEMOVE:
        return OnMouseMove(at);
    case WM_VSCROLL:
        return OnVScroll(LOWORD(wParam));
    case WM_TIMER:
        return OnTimer(wParam);
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)));
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_KEYDOWN:
        return OnKeyDown(static_cast<UINT>(wParam), lParam);
    case WM_CHAR:
        return OnChar(static_cast<UINT>(wParam));
    case WM_SETFOCUS:
        return OnSetFocus();
    case WM_KILLFOCUS:
        return OnKillFocus();
    case WM_GETDLGCODE:
        return OnGetDlgCode();
    case WM_MOUSEWHEEL:
        return OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), at);
    case WM_CAPTURECHANGED:
        return OnCaptureChanged();
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_GETOBJECT:
        if (Accessible* accessible = Accessibility())
            if (const LRESULT answer = accessible->Answer(message.hwnd, wParam, lParam))
                return answer;
        return Default();
    case WM_UPDATEUISTATE:
        return OnUpdateUiState();
    case WM_ACTIVATE:
        return OnActivate(LOWORD(wParam) != WA_INACTIVE);
    case DM_GETDEFID:
        return OnGetDefId();
    case WM_QUERYUISTATE:
        return OnQueryUiState();
    }
    return Default();
}

LRESULT ObjectWindow::Default() const {
    return DefWindowProcA(m_message->hwnd, m_message->id, m_message->wParam, m_message->lParam);
}

} // namespace velk
