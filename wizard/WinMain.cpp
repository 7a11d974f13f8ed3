#include "wizard/Instance.h"
#include "wizard/WizardFrame.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_hInstance = instance;
    InitCommonControls();
    // No critical-error boxes (a drive without a medium): the call fails instead.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    try {
        WizardFrame frame;
        frame.Create();
        frame.Run();
    } catch (...) {
        // Caught only so that the frame is destroyed on the way out; it still ends the program.
        throw;
    }
    return 0;
}
