// Fixture of every test that opens windows: they need a display (tools/test.sh runs
// Xvfb), and they take turns, because they share the screen and the mouse pointer.
#pragma once

#include "engine/Handles.h"

#include <gtest/gtest.h>

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    KernelHandle m_screenLock;
    bool m_locked = false;
};
