#include "checks/RegistryWalk.h"

#include "support/SandboxTest.h"

#include <map>

using RegistryWalkTest = SandboxTest;

namespace {

const std::string kKey = "Software\\TwWalk";

std::map<std::string, std::string> Values(ValueRead mode) {
    std::map<std::string, std::string> seen;
    WalkValues(kRootLocalMachine, kKey.c_str(), mode,
               [&](const char* name, const char* text) { seen[name] = text ? text : "<null>"; });
    return seen;
}

// n two-byte characters of code page 936 ("数").
std::string Gbk(size_t n) {
    std::string text;
    while (n--)
        text += "\xCA\xFD";
    return text;
}

} // namespace

TEST_F(RegistryWalkTest, ValuesThatAreNoTextOrDoNotFitArePassedOver) {
    struct Value {
        std::string name;
        DWORD type;
        std::string bytes; // as stored: a terminator only where written
        bool read;
    };
    const std::string z(1, '\0');
    std::vector<Value> values = {
        {"", REG_SZ, "default" + z, true},
        // The long value is read first and leaves its bytes in the buffer.
        {"a-long", REG_SZ, std::string(2000, 'L') + z, true},
        {"b-unterminated", REG_SZ, "C:\\x.exe", true},
        {"c-unterminated-2047", REG_SZ, std::string(2047, 'c'), true},
        {"c-unterminated-2048", REG_SZ, std::string(2048, 'c'), false},
        {"d-embedded", REG_SZ, std::string("C:\\a\0C:\\b", 9), true},
        {"d-empty", REG_SZ, "", true},
        {"e-expand-unterminated", REG_EXPAND_SZ, "C:\\e.exe", true},
        {"f-2047", REG_SZ, std::string(2047, 'f') + z, true},
        {"f-2048", REG_SZ, std::string(2048, 'f') + z, false},
        {"f-9000", REG_SZ, std::string(9000, 'f') + z, false},
        {"g-gbk-2047", REG_SZ, Gbk(1023) + "g" + z, true},
        {"g-gbk-2048", REG_SZ, Gbk(1024) + z, false},
        {"\xCA\xFD\x81\x5C", REG_SZ, "gbk" + z, true},
        {std::string(2047, 'n'), REG_SZ, "n" + z, true},
        {std::string(2048, 'n'), REG_SZ, "n" + z, false},
    };
    const DWORD others[] = {REG_NONE,  REG_BINARY, REG_DWORD, REG_MULTI_SZ,
                            REG_QWORD, REG_LINK,   0x1234};
    for (DWORD type : others)
        values.push_back({"type" + std::to_string(type), type, "C:\\x.exe" + z + z, false});
    std::map<std::string, std::string> text, stored, names;
    for (const Value& v : values) {
        ASSERT_TRUE(PutValue(kRootLocalMachine, kKey, v.name, v.type, v.bytes.data(),
                             static_cast<DWORD>(v.bytes.size())));
        if (v.read) text[v.name] = v.bytes.substr(0, v.bytes.find('\0'));
        if (v.read && v.type == REG_SZ) stored[v.name] = text[v.name];
        if (v.name.size() < 2048) names[v.name] = "<null>"; // data plays no part
    }
    EXPECT_EQ(Values(ValueRead::Text), text);
    EXPECT_EQ(Values(ValueRead::StoredText), stored);
    EXPECT_EQ(Values(ValueRead::NameOnly), names);
}

TEST_F(RegistryWalkTest, AnExpansionIsUsedOnlyWhenItFitsWhole) {
    ASSERT_EQ(GetACP(), 936u) << "the trap is a double-byte code page's";
    // 1100 characters that the call may count as fitting, in 2200 bytes that do not.
    const std::map<std::string, std::string> variables = {
        {"TW_FITS", Gbk(1000)},
        {"TW_LONG", Gbk(1100)},
        {"TW_GBK_2047", Gbk(1023) + "x"},
        {"TW_GBK_2048", Gbk(1024)},
        {"TW_STRADDLE", "x" + Gbk(1024)},
        {"TW_ASCII_2047", std::string(2047, 'q')},
        {"TW_ASCII_2048", std::string(2048, 'q')}};
    for (const auto& [name, value] : variables) {
        ASSERT_TRUE(SetEnvironmentVariableA(name.c_str(), value.c_str()));
        ASSERT_TRUE(PutString(kRootLocalMachine, kKey, name, "%" + name + "%", REG_EXPAND_SZ));
    }
    // Read after a failure, it must not see its leftovers.
    ASSERT_TRUE(PutString(kRootLocalMachine, kKey, "zz", "%TW_NOT_SET%\\a", REG_EXPAND_SZ));
    std::map<std::string, std::string> expected = {{"TW_FITS", Gbk(1000)},
                                                   {"zz", "%TW_NOT_SET%\\a"}};
    EXPECT_EQ(Values(ValueRead::Text), expected);
}

TEST_F(RegistryWalkTest, SubkeyWalkTestsTheStopRequestBeforeEachSubkey) {
    for (const char* name : {"a", "b", "c"})
        ASSERT_TRUE(PutString(kRootLocalMachine, kKey + "\\" + name, "", name));
    ScanStatus status;
    int visited = 0;
    auto stop = [&](const char*, const char*) { status.stopRequested = ++visited > 0; };
    SubkeyWalk walk = {kRootLocalMachine, kKey.c_str(), nullptr, nullptr, nullptr};
    WalkSubkeys(walk, stop);
    EXPECT_EQ(visited, 3) << "without a status the walk never stops";
    status.stopRequested = false;
    walk.stopWatch = &status;
    WalkSubkeys(walk, stop);
    WalkSubkeys(walk, stop);
    EXPECT_EQ(visited, 4) << "once stopped, no further subkey is visited";
}
