// Both registry views of 64-bit Windows, in the real registry of the test prefix: a
// redirected root of the sandbox ignores the view flags. Every entry is the test's own.
#include "engine/Handles.h"
#include "engine/JobEnumerator.h"
#include "engine/RegistryRepairer.h"
#include "support/RegistrySandbox.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

const std::string kCv = "Microsoft\\Windows\\CurrentVersion\\";
const std::string kRun = "Software\\" + kCv + "Run",
                  kRun32 = "Software\\Wow6432Node\\" + kCv + "Run";
const std::string kUninstall = "Software\\" + kCv + "Uninstall",
                  kApps = "SOFTWARE\\" + kCv + "App Paths";
const std::string kMui = "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
const std::string kShell = "Software\\" + kCv + "Explorer\\User Shell Folders";
const std::string kClass = "{7D1F0C2E-7E57-4A11-9D00-00000000C0DE}";
const std::string kClass64 = "CLSID\\" + kClass, kClass32 = "Wow6432Node\\CLSID\\" + kClass;

std::string Env(const char* name) {
    char value[MAX_PATH] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

class KeyViewsTest : public ::testing::Test {
protected:
    // Through the W functions: some texts have no code page 936 form. A key of the
    // test's own goes whole afterwards, a value of a shared key alone.
    bool Put(uint32_t root, const std::string& path, const std::wstring& name,
             const std::wstring& text, DWORD type = REG_SZ) {
        const size_t own = path.find_first_of("{"), tw = path.find("\\tw-");
        if (own != std::string::npos || tw != std::string::npos)
            m_keys.emplace_back(root, path.substr(0, path.find('\\', std::min(own, tw) + 1)));
        else
            m_values.emplace_back(root, path, name);
        RegKey key;
        return key.Create(root, path.c_str(), KEY_WRITE) &&
               !RegSetValueExW(key.Get(), name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override {
        for (const auto& [root, path] : m_keys)
            RemoveTree(root, path);
        for (const auto& [root, path, name] : m_values) {
            RegKey key;
            if (key.Open(root, path.c_str(), KEY_SET_VALUE))
                RegDeleteValueW(key.Get(), name.c_str());
        }
        for (const std::string& folder : m_folders)
            RemoveDirectoryA(folder.c_str());
    }
    std::vector<std::pair<uint32_t, std::string>> m_keys;
    std::vector<std::tuple<uint32_t, std::string, std::wstring>> m_values;
    std::vector<std::string> m_folders{Env("ProgramFiles(x86)") + "\\tw-views",
                                       Env("ProgramW6432") + "\\tw-live"};
    TestFolder m_files;
};

} // namespace

TEST_F(KeyViewsTest, BothViewsAreScannedFixedAndRestoredEachInItsOwnPlace) {
    // tw-views is in the 32-bit program folder only, tw-live in the native one only.
    ASSERT_TRUE(m_folders[0][0] != '\\' && m_folders[1][0] != '\\') << "not a 64-bit prefix";
    ASSERT_TRUE(CreateDirectoryA(m_folders[0].c_str(), nullptr) &&
                CreateDirectoryA(m_folders[1].c_str(), nullptr));
    const std::wstring gone = Wide(m_files.Path("gone\\"));
    const std::wstring there = Wide(m_files.MakeFile("there.dll")), pf = L"%ProgramFiles%\\tw-";
    // Each copy holds its own entries; the same class is gone in one and there in the other.
    // %ProgramFiles% is the folder of the view an entry was written for, not of this build.
    // What has no exact code page 936 form is never reported, gone or not.
    ASSERT_TRUE(
        Put(kRootLocalMachine, kRun, L"tw-64", gone + L"a.exe") &&
        Put(kRootLocalMachine, kRun32, L"tw-32", gone + L"b.exe") &&
        Put(kRootClassesRoot, kClass64 + "\\InprocServer32", L"", gone + L"c.dll") &&
        Put(kRootClassesRoot, kClass32 + "\\InprocServer32", L"", there) &&
        Put(kRootLocalMachine, kApps + "\\tw-app.exe", L"", gone + L"d.exe") &&
        Put(kRootLocalMachine, kRun, L"tw-pf64", pf + L"views", REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun32, L"tw-pf32", pf + L"views", REG_EXPAND_SZ) &&
        Put(kRootCurrentUser, kShell, L"tw-pf", pf + L"live", REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun, L"tw-beyond", gone + L"Gr\u00f6\u00dfe.exe") &&
        Put(kRootCurrentUser, kMui, gone + L"Ni\u00f0urhal.exe", L"x") &&
        Put(kRootLocalMachine, "SOFTWARE\\" + kCv + "SharedDLLs", gone + L"s.dll", L"\u00df") &&
        Put(kRootLocalMachine, kUninstall + "\\tw-exact", L"UninstallString", gone + L"u.exe") &&
        Put(kRootLocalMachine, kUninstall + "\\tw-symbol", L"UninstallString", gone + L"u.exe") &&
        Put(kRootLocalMachine, kUninstall + "\\tw-symbol", L"DisplayName", L"Tool\u00ae"));

    JobEnumerator jobs;
    ScanStatus status;
    ProblemList items, ours;
    for (const auto& job : jobs)
        job->Scan(&status, &items);
    std::set<std::string> found;
    for (const ProblemItem& item : items)
        if (item.itemName.find("tw-") == 0 || item.itemName == kClass ||
            item.itemName.find(m_files.Root()) == 0) {
            found.insert(std::to_string(item.rootKey & 3) + "|" + item.keyPath + "|" +
                         item.itemName);
            ours.push_back(item);
        }
    EXPECT_EQ(found, (std::set<std::string>{"0|CLSID|" + kClass, "2|" + kRun + "|tw-64",
                                            "2|" + kRun32 + "|tw-32", "2|" + kRun + "|tw-pf64",
                                            "2|" + kApps + "|tw-app.exe",
                                            "2|" + kUninstall + "|tw-exact"}));

    // The native class goes, its 32-bit namesake stays.
    EXPECT_TRUE(RegistryRepairer().DeleteSelectedItems(ours));
    EXPECT_FALSE(KeyExists(kRootClassesRoot, kClass64) ||
                 ValueExists(kRootLocalMachine, kRun, "tw-64") ||
                 ValueExists(kRootLocalMachine, kRun32, "tw-32"));
    EXPECT_TRUE(KeyExists(kRootClassesRoot, kClass32) &&
                ValueExists(kRootLocalMachine, kRun32, "tw-pf32"));
}
