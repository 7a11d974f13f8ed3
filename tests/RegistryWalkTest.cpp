#include "checks/RegistryWalk.h"

#include "engine/RegistryRepairer.h"
#include "support/SandboxTest.h"

#include <functional>
#include <map>
#include <tuple>

using RegistryWalkTest = SandboxTest;
using Seen = std::map<std::string, std::string>;

extern "C" LONG NTAPI NtQueryKey(HANDLE key, int kind, void* out, ULONG size, ULONG* length);
extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

namespace {
const std::string kKey = "Software\\TwWalk", z(1, '\0');
constexpr int kKeyNameInformation = 3;
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

// A key item is copied only when its copy restores it as it was: every name and text with
// its exact code page 936 form, every text of whole characters, and no link in its tree.
// A tree holding a link is not deleted either: the link's target stays whole.
TEST_F(RegistryWalkTest, AKeyTreeIsCopiedAndDeletedOnlyWhenItHoldsNothingElse) {
    using Fill = std::function<bool(HKEY)>;
    auto set = [](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        return Fill([=](HKEY s) {
            return !RegSetValueExW(s, name, 0, type, static_cast<const BYTE*>(data), size);
        });
    };
    const Fill link = [](HKEY s) {
        RegKey target, made;
        ULONG name[512] = {}, size = 0; // the target's kernel name: its length, then the name
        if (!target.Open(kRootLocalMachine, (kKey + "\\plain").c_str(), KEY_READ) ||
            NtQueryKey(target.Get(), kKeyNameInformation, name, sizeof name, &size) ||
            RegCreateKeyExW(s, L"l", 0, nullptr, REG_OPTION_CREATE_LINK,
                            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, made.Put(), nullptr))
            return false;
        return !RegSetValueExW(made.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                               reinterpret_cast<const BYTE*>(name + 1), name[0]);
    };
    // The link goes as a link, first: the sandbox's own removal stops at it.
    struct DropLink {
        ~DropLink() {
            RegKey s, l;
            if (s.Open(kRootLocalMachine, (kKey + "\\linked\\s").c_str(), KEY_READ) &&
                !RegOpenKeyExW(s.Get(), L"l", REG_OPTION_OPEN_LINK, DELETE, l.Put()))
                NtDeleteKey(l.Get());
        }
    } dropLink;
    const std::tuple<const char*, Fill, bool> trees[] = {
        {"plain", set(L"v", REG_SZ, L"text", 10), true},
        {"odd", set(L"v", REG_SZ, L"text", 9), false},
        {"beyond", set(L"\u00ae", REG_SZ, L"text", 10), false},
        {"linked", link, false}};
    for (const auto& [name, fill, exact] : trees) {
        const std::string tree = kKey + "\\" + name;
        RegKey s;
        ASSERT_TRUE(s.Create(kRootLocalMachine, (tree + "\\s").c_str(), KEY_ALL_ACCESS) &&
                    fill(s.Get()))
            << name;
        EXPECT_EQ(KeyReadsExactly(kRootLocalMachine, kKey.c_str(), name), exact) << name;
    }
    RegKey parent;
    ASSERT_TRUE(parent.Open(kRootLocalMachine, kKey.c_str(), kRepairAccess));
    EXPECT_FALSE(RegistryRepairer().DeleteKeyTree(parent.Get(), "linked"));
    EXPECT_TRUE(ValueExists(kRootLocalMachine, kKey + "\\plain\\s", "v")) << "through the link";
}
