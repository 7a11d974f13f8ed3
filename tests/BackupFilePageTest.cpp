#include "backup/BackupFilePage.h"

#include "support/BackupFolderTest.h"
#include "engine/Instance.h"

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
}

TEST_F(BackupFilePageTest, FillAndClearFreeEveryEntry) {
    for (const char* name : {"a.backup2", "b.backup2", "c.backup2"})
        Make(name, 1, 2020, 1, 1, 12);
    page.Fill();
    page.Clear(); // the library's first-use allocations stay
    const long before = g_live;
    page.Fill();
    page.Fill();
    EXPECT_EQ(g_live - before, 6) << "an entry a row";
    page.Clear();
    EXPECT_EQ(g_live, before);
    page.Fill();
    DestroyWindow(page.m_hWndPage);
    EXPECT_EQ(g_live, before) << "the rows left when the page goes";
}
