#include "engine/Instance.h"
#include "wizard/WizardFrame.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_hInstance = instance;
    InitCommonControls();
    // No critical-error boxes (a drive without a medium): the call fails instead.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    WizardFrame frame;
    frame.Create();
    frame.Run();
    return 0;
}
