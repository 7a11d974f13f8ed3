// Fixture of every test that opens windows: they need a display (tools/test.sh runs
// Xvfb) and take turns, as they share the screen and the mouse pointer.
#pragma once

#include "engine/Handles.h"
#include "engine/Instance.h"

#include <gtest/gtest.h>

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleA(nullptr);
        m_screenLock.Reset(CreateMutexA(nullptr, FALSE, "tidewell-gui-tests-screen"));
        const DWORD waited = WaitForSingleObject(m_screenLock.Get(), 240000);
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << "no turn at the screen";
        const HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0);
        ASSERT_TRUE(probe) << "NO DISPLAY: run the GUI tests through tools/test.sh (it runs Xvfb)";
        DestroyWindow(probe);
        SetCursorPos(1000, 740); // away from every window a test makes
    }
    void TearDown() override { ReleaseMutex(m_screenLock.Get()); } // fails unless held

    KernelHandle m_screenLock;
};
