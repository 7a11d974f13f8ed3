// Both registry views of 64-bit Windows, in the real registry of the test prefix: a
// redirected root of the sandbox ignores the view flags. Every entry is the test's own.
#include "backup/BackupManager.h"
#include "engine/JobEnumerator.h"
#include "support/SandboxTest.h"

#include <cstdio>
#include <cstdlib>
#include <regex>
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

// The other build's folder: the 32-bit one from the 64-bit tests and the other way round.
std::string OtherBuild() {
    std::string folder = BackupManager().GetBackupFolder(); // in the tests folder
    folder.erase(folder.rfind("\\tests\\"));
    folder.erase(folder.rfind('\\') + 1);
    return folder + (sizeof(void*) == 8 ? "i686\\" : "x86_64\\");
}

// Runs the other build's ScanTool.exe: its exit code and what it printed.
std::pair<int, std::string> RunOtherBuild(const std::string& arguments) {
    const std::string command = "\"\"" + OtherBuild() + "ScanTool.exe\" " + arguments + "\"";
    FILE* pipe = _popen(command.c_str(), "rb");
    std::string printed;
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        printed.append(chunk, n);
    return {pipe ? _pclose(pipe) : -1, printed.empty() ? "nothing from " + command : printed};
}

class KeyViewsTest : public ::testing::Test {
protected:
    // Through the W functions: some names and texts have no code page 936 form. A key
    // of the test's own goes whole afterwards, a value of a shared key alone.
    bool Put(uint32_t root, const std::wstring& path, const std::wstring& name,
             const std::wstring& text, DWORD type = REG_SZ) {
        const size_t own = path.find(L'{'), tw = path.find(L"\\tw-");
        const std::wstring ours = path.substr(0, path.find(L'\\', std::min(own, tw) + 1));
        if (own != std::wstring::npos || tw != std::wstring::npos)
            m_planted.emplace_back(root, ours.substr(0, ours.rfind(L'\\')),
                                   ours.substr(ours.rfind(L'\\') + 1), true);
        else
            m_planted.emplace_back(root, path, name, false);
        RegKey key;
        return !RegCreateKeyExW(RootKeyHandle(root), path.c_str(), 0, nullptr, 0,
                                KEY_WRITE | kPathView, nullptr, key.Put(), nullptr) &&
               !RegSetValueExW(key.Get(), name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    bool Put(uint32_t root, const std::string& path, const std::wstring& name,
             const std::wstring& text, DWORD type = REG_SZ) {
        return Put(root, Wide(path), name, text, type);
    }
    void TearDown() override {
        for (const auto& [root, path, name, isKey] : m_planted) {
            RegKey key;
            if (!RegOpenKeyExW(RootKeyHandle(root), path.c_str(), 0, KEY_ALL_ACCESS | kPathView,
                               key.Put()))
                isKey ? RegDeleteTreeW(key.Get(), name.c_str())
                      : RegDeleteValueW(key.Get(), name.c_str());
        }
        for (const std::string& folder : m_folders)
            RemoveDirectoryA(folder.c_str());
    }
    std::vector<std::tuple<uint32_t, std::wstring, std::wstring, bool>> m_planted;
    std::vector<std::string> m_folders{Env("ProgramFiles(x86)") + "\\tw-views",
                                       Env("ProgramW6432") + "\\tw-live"};
    TestFolder m_files;
};

} // namespace

TEST_F(KeyViewsTest, BothBuildsFindTheSameInBothViewsAndEachRestoresTheOthersFix) {
    // tw-views is in the 32-bit program folder only, tw-live in the native one only.
    ASSERT_TRUE(m_folders[0][0] != '\\' && m_folders[1][0] != '\\' &&
                CreateDirectoryA(m_folders[0].c_str(), nullptr) &&
                CreateDirectoryA(m_folders[1].c_str(), nullptr))
        << "not a 64-bit prefix";
    const std::wstring gone = Wide(m_files.Path("gone\\"));
    const std::wstring there = Wide(m_files.MakeFile("there.dll")), pf = L"%ProgramFiles%\\tw-";
    const std::wstring uninstall = gone + L"u.exe";
    // Each copy holds its own entries; the same class is gone in one and there in the other.
    // The program folder variables count as gone only when gone for 64-bit and 32-bit
    // programs alike, and fit in both. What has no exact code page 936 form is never
    // reported, gone or not; a key whose tree holds such a text is reported but not fixed.
    ASSERT_TRUE(
        Put(kRootLocalMachine, kRun, L"tw-64", gone + L"a.exe") &&
        Put(kRootLocalMachine, kRun32, L"tw-32", gone + L"b.exe") &&
        Put(kRootClassesRoot, kClass64 + "\\InprocServer32", L"", gone + L"c.dll") &&
        Put(kRootClassesRoot, kClass32 + "\\InprocServer32", L"", there) &&
        Put(kRootLocalMachine, kApps + "\\tw-app.exe", L"", gone + L"d.exe") &&
        Put(kRootLocalMachine, kRun, L"tw-pf64", pf + L"nowhere", REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun32, L"tw-pf32", pf + L"views", REG_EXPAND_SZ) &&
        Put(kRootCurrentUser, kShell, L"tw-pf", pf + L"live", REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun32, L"tw-cpf", L"%CommonProgramFiles%\\..\\tw-live",
            REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun, L"tw-fit", pf + std::wstring(2024, 'x'), REG_EXPAND_SZ) &&
        Put(kRootLocalMachine, kRun, L"tw-beyond", gone + L"Gr\u00f6\u00dfe\uac00.exe") &&
        Put(kRootCurrentUser, kMui, gone + L"Ni\u00f0urhal\U0001F600.exe", L"x") &&
        Put(kRootLocalMachine, "SOFTWARE\\" + kCv + "SharedDLLs", gone + L"s.dll", L"\u00df") &&
        Put(kRootLocalMachine, kUninstall + "\\tw-exact", L"UninstallString", uninstall) &&
        Put(kRootLocalMachine, Wide(kUninstall) + L"\\tw-\uac00", L"UninstallString", uninstall) &&
        Put(kRootLocalMachine, kUninstall + "\\tw-symbol", L"UninstallString", uninstall) &&
        Put(kRootLocalMachine, kUninstall + "\\tw-symbol", L"DisplayName", L"Tool\u00ae"));
    std::set<std::string> found, foundThere;
    auto keep = [&](std::set<std::string>& into, uint32_t root, const std::string& path,
                    const std::string& name) {
        if (name.find("tw-") == 0 || name == kClass || name.find(m_files.Root()) == 0)
            into.insert(std::to_string(root & 3) + "|" + path + "|" + name);
    };
    JobEnumerator jobs;
    ScanStatus status;
    ProblemList items;
    for (const auto& job : jobs)
        job->Scan(&status, &items);
    for (const ProblemItem& item : items)
        keep(found, item.rootKey, item.keyPath, item.itemName);
    EXPECT_EQ(found, (std::set<std::string>{
                         "0|CLSID|" + kClass, "2|" + kRun + "|tw-64", "2|" + kRun32 + "|tw-32",
                         "2|" + kRun + "|tw-pf64", "2|" + kApps + "|tw-app.exe",
                         "2|" + kUninstall + "|tw-exact", "2|" + kUninstall + "|tw-symbol"}));
    // Said by the test command's probe, never guessed from a crash of the other build.
    if (const char* why = std::getenv("TW_NO_32BIT_WHY"); why && sizeof(void*) == 8)
        GTEST_SKIP() << "the 32-bit build cannot run: " << why;
    const std::string printed = RunOtherBuild("").second;
    const std::regex line("\\d+\t\\d+\t([0-9A-F]{8})\t([^\t]*)\t([^\t]*)\t");
    for (std::sregex_iterator i(printed.begin(), printed.end(), line), end; i != end; ++i)
        keep(foundThere, std::stoul((*i)[1], nullptr, 16), (*i)[2], (*i)[3]);
    EXPECT_EQ(foundThere, found);

    auto dump = [] {
        return DumpTree(kRootClassesRoot, kClass64) + DumpTree(kRootClassesRoot, kClass32) +
               DumpTree(kRootLocalMachine, kRun) + DumpTree(kRootLocalMachine, kRun32) +
               DumpTree(kRootLocalMachine, kApps + "\\tw-app.exe") +
               DumpTree(kRootLocalMachine, kUninstall);
    };
    const std::string before = dump(), name = "tw-views.backup2";
    const std::string made = OtherBuild() + "backups\\" + name;
    DeleteFileA(made.c_str()); // left by a run that died: a backup is never overwritten
    const auto [code, output] = RunOtherBuild("--fix " + name + " tw- " + kClass);
    ASSERT_EQ(code, 1) << "the other build's fix, one ticked key left out: " << output;
    EXPECT_FALSE(KeyExists(kRootClassesRoot, kClass64) ||
                 ValueExists(kRootLocalMachine, kRun, "tw-64") ||
                 ValueExists(kRootLocalMachine, kRun32, "tw-32"));

    // Restored by this one; what it did not delete, the 32-bit class and the left-out key,
    // is as it was too.
    BackupManager backups;
    CreateDirectoryA(backups.GetBackupFolder().c_str(), nullptr);
    ASSERT_TRUE(MoveFileExA(made.c_str(), (backups.GetBackupFolder() + name).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
    ProblemList read;
    ASSERT_TRUE(backups.ReadBackup(name, read));
    EXPECT_TRUE(backups.RestoreItems(backups.OpenBackup(name).Get(), read));
    DeleteFileA((backups.GetBackupFolder() + name).c_str());
    EXPECT_EQ(dump(), before);
}
