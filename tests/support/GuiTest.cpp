#include "support/GuiTest.h"

#include "wizard/Instance.h"

namespace {

// Windows need an X server under Wine; without one CreateWindowExA returns null.
bool DisplayAvailable() {
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!probe)
        return false;
    DestroyWindow(probe);
    return true;
}

} // namespace

void GuiTest::SetUp() {
    g_hInstance = GetModuleHandleA(nullptr);
    m_screenLock.Reset(CreateMutexA(nullptr, FALSE, "tidewell-gui-tests-screen"));
    ASSERT_TRUE(m_screenLock.Valid());
    const DWORD waited = WaitForSingleObject(m_screenLock.Get(), 240000);
    ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        << "another GUI test held the screen for four minutes";
    m_locked = true;
    ASSERT_TRUE(DisplayAvailable())
        << "NO DISPLAY: this test opens windows and needs an X server. Run it through "
           "tools/test.sh, which starts Xvfb and exports DISPLAY.";
    // The pointer starts away from every window a test makes.
    SetCursorPos(1000, 740);
}

void GuiTest::TearDown() {
    if (m_locked)
        ReleaseMutex(m_screenLock.Get());
    m_locked = false;
}
