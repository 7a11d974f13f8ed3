#include "engine/Instance.h"
#include "engine/StartupGuard.h"
#include "wizard/WizardFrame.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystemFolder();
    if (!RequireCodePage936(false)) return 1;
    g_hInstance = instance;
    InitCommonControls();
    // No critical-error boxes (a drive without a medium): the call fails instead.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    // An exception that finds no handler need not unwind the stack; this one makes sure
    // the frame's destructor stops a running scan before the program ends.
    try {
        WizardFrame frame;
        frame.Create();
        frame.Run();
    } catch (...) {
        throw;
    }
    return 0;
}
