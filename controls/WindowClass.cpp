#include "controls/WindowClass.h"

#include "wizard/Instance.h"

namespace velk {

void RegisterObjectClass(const char* className, WNDPROC windowProc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.cbWndExtra = kObjectExtraBytes;
    wc.hInstance = g_hInstance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
}

} // namespace velk
