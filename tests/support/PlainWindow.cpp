// A program with the same manifest and controls as tidewell but none of its care about
// where DLLs come from: what a planted DLL does to a program that does not refuse it.
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    HWND window = CreateWindowA("BUTTON", "plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
    CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 100, window,
                  nullptr, nullptr, nullptr);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(10))
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&msg);
    return 0;
}
