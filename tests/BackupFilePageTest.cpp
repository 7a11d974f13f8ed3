#include "backup/BackupFilePage.h"

#include "checks/Place.h"
#include "controls/ResultPage.h"
#include "engine/Instance.h"
#include "engine/JobEnumerator.h"
#include "support/BackupFolderTest.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Blocks held from operator new; the library's array, nothrow and sized forms call these.
static std::atomic<long> g_live{0};

void* operator new(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    ++g_live;
    return block;
}
void operator delete(void* block) noexcept {
    g_live -= block != nullptr;
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    g_live -= block != nullptr;
    std::free(block);
}

namespace {

class BackupFilePageTest : public BackupFolderTest {
protected:
    // The parent is never shown: rows are read, not looked at, so the screen is not taken.
    void SetUp() override {
        BackupFolderTest::SetUp();
        g_hInstance = GetModuleHandleA(nullptr);
        m_parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 690, 396, 0, 0, 0, 0);
        ASSERT_TRUE(m_parent) << "windows need the X server that tools/test.sh starts";
        page.Create(m_parent);
    }
    void TearDown() override {
        DestroyWindow(m_parent);
        BackupFolderTest::TearDown();
    }
    // Wine reports the last write time as the creation time: both are set.
    void Make(const std::string& name, DWORD size, WORD year, WORD month, WORD day, WORD hour) {
        CreateDirectoryA(folder.c_str(), nullptr);
        FileHandle file(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    0, nullptr));
        const SYSTEMTIME date = {year, month, 0, day, hour, 0, 0, 0};
        FILETIME time;
        DWORD done = 0;
        ASSERT_TRUE(WriteFile(file.Get(), std::string(size, 'x').data(), size, &done, nullptr) &&
                    SystemTimeToFileTime(&date, &time) &&
                    SetFileTime(file.Get(), &time, nullptr, &time));
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows(ListView_GetItemCount(page.m_hWndList));
        for (size_t row = 0; row < rows.size(); ++row)
            for (int cell = 0; cell < 3; ++cell) {
                char text[256] = "";
                ListView_GetItemText(page.m_hWndList, int(row), cell, text, sizeof text);
                rows[row] += (cell ? "|" : "") + std::string(text);
            }
        return rows;
    }

    velk::BackupFilePage page;
    HWND m_parent = nullptr;
};

} // namespace

TEST_F(BackupFilePageTest, ListsTheBackupsThatOpenNewestFirst) {
    page.Fill();
    EXPECT_EQ(Rows(), std::vector<std::string>()) << "a missing folder";
    // Numbers that disagree with the ages: the creation time decides.
    Make("自动备份002.backup2", 1234, 2023, 11, 20, 12);
    Make("自动备份001.backup2", 77, 2024, 3, 5, 23);
    Make("手工.y.backup2", 0, 2022, 1, 9, 12);
    Make("truncated.backup2", 3, 2021, 12, 31, 0);
    // A backup being written is a ".tmp" until it is whole, and never listed.
    for (const char* odd : {"x.BACKUP2", "x.backup2.old", "backup2", "held.backup2", "tw1A.tmp"})
        Make(odd, 10, 2025, 1, 1, 12);
    ASSERT_TRUE(CreateDirectoryA((folder + "y.backup2").c_str(), nullptr));
    FileHandle held(CreateFileA((folder + "held.backup2").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    page.Fill();
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "自动备份001|2024/3/5|77 字节", "自动备份002|2023/11/20|1234 字节",
                          "手工.y|2022/1/9|0 字节", "truncated|2021/12/31|3 字节"}));
    // Every row's entry is freed by Clear, and by the page when it goes.
    page.Clear(); // the library's first-use allocations stay
    const long before = g_live;
    page.Fill();
    page.Fill();
    EXPECT_EQ(g_live - before, 2 * (4 + 3)) << "an entry a row, and three names past 15 bytes";
    page.Clear();
    EXPECT_EQ(g_live, before);
    page.Fill();
    DestroyWindow(page.m_hWndPage);
    EXPECT_EQ(g_live, before) << "the rows left when the page goes";
}

// A backup of records no check could make, shown as ones it makes: they are read
// unticked, their boxes do nothing, and ticked anyway they write nothing. What a check
// makes is written, in any case, view or merged form of its key.
TEST_F(BackupFilePageTest, ARestoreWritesOnlyWhatACheckCouldHaveFound) {
    const std::string run = kPlaces[kRunPlace].path, off = kPlaces[kUninstallPlace].path,
                      apps = kPlaces[kAppPathsPlace].path, lm = "HKEY_LOCAL_MACHINE\\",
                      big(2048, 'p'), guid = "{7D1F0C2E-7E57-4A11-9D00-00000000C0DE}",
                      mui = "Software\\Wow6432Node\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
                      run32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    const uint32_t hklm = kRootLocalMachine, hkcu = kRootCurrentUser;
    // Root, key path, name, kind, whether a check makes it, the location shown (else
    // the path), the name of its key node (else its own).
    // clang-format off
    const struct { uint32_t root; std::string path, name; int32_t kind; bool made; std::string shown = "", node = ""; } records[] = {
        {hklm, "SYSTEM\\CurrentControlSet\\Services", "twevil", 1, 0, off},
        {hklm, run + "\\tw", "v", 0, 0}, {hklm, off + "\\tw", "k", 1, 0}, {hklm, off, "tw\\k", 1, 0},
        {hklm, run + "\\", "v", 0, 0}, {hklm, run + "\\..", "v", 0, 0}, {hklm, off, "..\\..\\..\\..\\SYSTEM", 1, 0},
        {0x80000003, run, "v", 0, 0}, {0x7FFFFFFF, run, "v", 0, 0}, {hkcu, run, "v", 0, 0},
        {hkcu, mui, "v", 0, 0, "HKEY_CURRENT_USER\\" + mui}, {hklm, run, "v", 0, 0, lm + run},
        {hklm, run, "k", 1, 0}, {hklm, off, "v", 0, 0}, {hklm, off, "", 1, 0}, {hklm, run + "\\" + big, big, 0, 0},
        {hklm, "software\\microsoft\\windows\\currentversion\\run", "v", 0, 1}, {hklm, run32, big, 0, 1},
        {hklm, "SOFTWARE\\Classes\\CLSID", guid, 1, 1, lm + "SOFTWARE\\Classes\\CLSID\\" + guid + "\\InprocServer32"},
        {kRootClassesRoot, "Wow6432Node\\CLSID", guid, 1, 1, "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\" + guid + "\\InprocServer32"},
        {hklm, apps, "..", 1, 1, lm + apps + "\\.."}, {hklm, off, "tw", 1, 1, "", "twevil"},
    };                                // clang-format on
    auto record = [](const auto& r) { // shown with a description and data as though stale
        const std::string value = U32(REG_SZ) + U32(2) + std::string("x", 2);
        return U32(r.root) + Str(r.path) + Str(r.name) + Str(r.shown.empty() ? r.path : r.shown) +
               Str("C:\\gone.exe") + Str("值无效。") + U32(7) + U32(r.kind) +
               (r.kind ? Str(r.node.empty() ? r.name : r.node) + U32(1) + U32(0) + Str("v") + value
                       : value);
    };
    std::string bytes = U32(uint32_t(std::size(records)) + 3000);
    for (const auto& r : records)
        bytes += record(r);
    for (int i = 0; i < 3000; ++i) // the list stays quick
        bytes += record(records[0]);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(folder + "forged.backup2", bytes));
    ProblemList read, written;
    const JobEnumerator jobs; // the groups of the records list
    velk::ResultPage results;
    results.Create(m_parent);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(manager.ReadBackup("forged.backup2", read));
    results.SetItems(read);
    EXPECT_LT(GetTickCount() - start, 3000u) << "thousands of records";
    ASSERT_EQ(read.size(), std::size(records) + 3000);
    for (size_t i = 0; i < std::size(records); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        ProblemItem& item = read[i];
        EXPECT_TRUE(item.foreign != records[i].made && item.selected == records[i].made);
        item.selected = false;
        SendMessageA(results.m_ResultView.Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(12, 60 * i + 12));
        EXPECT_EQ(item.selected, records[i].made) << "its tick box";
        if (item.selected && records[i].node.empty()) written.push_back(item);
    }
    EXPECT_EQ(ResultView::TitleLine(read[0]), "这不是本程序清理的位置，不会恢复。");
    EXPECT_EQ(ResultView::ItemLine(read[0]), "项目：" + lm + "SYSTEM\\CurrentControlSet\\Services");
    EXPECT_EQ(ResultView::ValueLine(read[0]), "名称：twevil");
    EXPECT_EQ(ResultView::ItemLine(read[8]), "项目：0x7FFFFFFF\\" + run);
    DestroyWindow(results.m_hWndPage);
    EXPECT_TRUE(manager.RestoreItems(manager.OpenBackup("forged.backup2").Get(), written));
    const std::string expected = Registry();
    EXPECT_TRUE(ValueExists(hklm, run32, big) && KeyExists(hklm, apps + "\\..") &&
                KeyExists(hklm, "SOFTWARE\\Classes\\CLSID\\" + guid));
    for (ProblemItem& item : read)
        item.selected = true;
    EXPECT_FALSE(manager.RestoreItems(manager.OpenBackup("forged.backup2").Get(), read));
    EXPECT_EQ(Registry(), expected) << "nothing more";
}
