#include "checks/RegistryWalk.h"

#include "support/SandboxTest.h"

#include <map>
#include <tuple>

using RegistryWalkTest = SandboxTest;
using Seen = std::map<std::string, std::string>;

namespace {
const std::string kKey = "Software\\TwWalk", z(1, '\0');
} // namespace

// Names and terminated texts of 2047 and 2048 bytes are in the checks' tables.
TEST_F(RegistryWalkTest, ValuesThatAreNoWholeTextArePassedOver) {
    // Name, type, data as stored (a terminator only where given), and whether it is read.
    const std::tuple<std::string, DWORD, std::string, bool> values[] = {
        {"a-long", REG_SZ, std::string(2000, 'L') + z, true}, // leaves its bytes in the buffer
        {"b-unterminated", REG_SZ, "C:\\x.exe", true},
        {"c-unterminated-2048", REG_SZ, std::string(2048, 'c'), false},
        {"d-embedded", REG_SZ, std::string("C:\\a\0C:\\b", 9), true},
        {"f-binary", REG_BINARY, "C:\\x.exe" + z, false},
        {"g-9000", REG_SZ, std::string(9000, 'g') + z, false},
        {"h-expands-beyond", REG_EXPAND_SZ, "%TW_LONG%" + z, false}};
    ASSERT_TRUE(SetEnvironmentVariableA("TW_LONG", std::string(2100, 'h').c_str()));
    Seen read, seen;
    for (const auto& [name, type, data, isRead] : values) {
        ASSERT_TRUE(PutValue(kRootLocalMachine, kKey, name, type, data.data(), data.size()));
        if (isRead) read[name] = data.substr(0, data.find('\0'));
    }
    WalkValues(
        kRootLocalMachine, kKey.c_str(), ValueRead::Text,
        [&](const KeyView&, const char* name, const EntryText& text) { seen[name] = text.text; });
    EXPECT_EQ(seen, read);
}

TEST_F(RegistryWalkTest, SubkeyWalkTestsTheStopRequestBeforeEachSubkey) {
    for (const char* name : {"a", "b"})
        ASSERT_TRUE(PutString(kRootLocalMachine, kKey + "\\" + name, "", name));
    ScanStatus status;
    int visited = 0;
    WalkSubkeys(kRootLocalMachine, kKey.c_str(), {nullptr, nullptr, &status},
                [&](const KeyView&, const char*, const EntryText&) {
                    status.stopRequested = ++visited > 0;
                });
    EXPECT_EQ(visited, 1);
}
