// Fixture of every test that touches the registry or the disk: a fresh registry
// sandbox and a fresh folder on C:, both gone after the test.
#pragma once

#include "support/RegistrySandbox.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

class SandboxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sandbox.Active()) << "registry sandbox not in place"; }
    RegistrySandbox sandbox;
    TestFolder files;
};
