#include "backup/BackupFilePage.h"

#include "resources/ResourceIds.h"
#include "support/AllocationCounter.h"
#include "support/BackupFolderTest.h"
#include "support/GdiCounter.h"
#include "support/GuiTest.h"
#include "support/HostWindow.h"
#include "support/Screenshot.h"
#include "support/UserInput.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The screen turn of the GUI tests, held inside a backup-folder test.
class ScreenTurn : public GuiTest {
public:
    void Take() { SetUp(); }
    void Give() { TearDown(); }
    void TestBody() override {}
};

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour = 12, WORD minute = 0) {
    SYSTEMTIME date = {year, month, 0, day, hour, minute, 0, 0};
    FILETIME time = {};
    SystemTimeToFileTime(&date, &time);
    return time;
}

struct Row {
    std::string name, date, size;
    const velk::BackupFileEntry* entry = nullptr;
    int image = -1;
};

class BackupFilePageTest : public BackupFolderTest {
protected:
    void SetUp() override {
        screen.Take();
        if (HasFatalFailure()) return;
        BackupFolderTest::SetUp();
        if (HasFatalFailure()) return;
        host = std::make_unique<HostWindow>(690, 396);
        ASSERT_TRUE(host->Handle());
        page.Create(host->Handle());
        SetWindowPos(page.m_hWndPage, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(page.m_hWndPage, SW_SHOW);
        PumpMessages();
    }
    void TearDown() override {
        host.reset();
        BackupFolderTest::TearDown();
        screen.Give();
    }

    // A file of `size` bytes made at `time`. Wine reports the last write time as the
    // creation time, so both are set.
    std::string MakeBackup(const std::string& name, size_t size, FILETIME time) {
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string path = folder + name;
        std::vector<uint8_t> bytes(size, 0xA5);
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << name;
        FileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr));
        EXPECT_TRUE(SetFileTime(file.Get(), &time, nullptr, &time)) << name;
        return path;
    }

    std::string Cell(int row, int cell) const {
        char text[1024] = {};
        LVITEMA item = {};
        item.iSubItem = cell;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(page.m_hWndList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        const int count = static_cast<int>(SendMessageA(page.m_hWndList, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM | LVIF_IMAGE;
            item.iItem = i;
            SendMessageA(page.m_hWndList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            rows.push_back({Cell(i, 0), Cell(i, 1), Cell(i, 2),
                            reinterpret_cast<const velk::BackupFileEntry*>(item.lParam),
                            item.iImage});
        }
        return rows;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Row& row : Rows())
            names.push_back(row.name);
        return names;
    }
    // Where a user clicks a row: on its name.
    void ClickRow(int row) {
        RECT r = {};
        r.left = LVIR_LABEL;
        SendMessageA(page.m_hWndList, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        ClickAt(ScreenPoint(page.m_hWndList, r.left + 20, (r.top + r.bottom) / 2));
    }

    ScreenTurn screen;
    std::unique_ptr<HostWindow> host;
    velk::BackupFilePage page;
};

TEST_F(BackupFilePageTest, IsAReportListWithItsImageAndThreeColumns) {
    ASSERT_TRUE(page.m_hWndList);
    char className[64] = {};
    GetClassNameA(page.m_hWndList, className, sizeof className);
    EXPECT_STREQ(className, "SysListView32");
    EXPECT_EQ(GetParent(page.m_hWndList), page.m_hWndPage);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(page.m_hWndList, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHAREIMAGELISTS),
              DWORD(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL));
    RECT r;
    GetWindowRect(page.m_hWndList, &r);
    MapWindowPoints(nullptr, page.m_hWndPage, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 690);
    EXPECT_EQ(r.bottom - r.top, 396);

    const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(page.m_hWndList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(images, page.m_hImageList);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    const struct {
        const char* header;
        int width;
    } columns[] = {{"名称", 426}, {"日期", 162}, {"大小", 100}};
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(
            SendMessageA(page.m_hWndList, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)))
            << i;
        EXPECT_STREQ(text, columns[i].header);
        EXPECT_EQ(column.cx, columns[i].width);
    }
    LVCOLUMNA fourth = {};
    fourth.mask = LVCF_WIDTH;
    EXPECT_FALSE(
        SendMessageA(page.m_hWndList, LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&fourth)));
}

TEST_F(BackupFilePageTest, RowsAreNewestFirstWithNameDateAndSize) {
    // Numbers that disagree with the ages: the creation time decides.
    MakeBackup("自动备份002.backup2", 1234, Utc(2023, 11, 20));
    MakeBackup("自动备份001.backup2", 77, Utc(2024, 3, 5, 23, 59));
    MakeBackup("手工.y.backup2", 0, Utc(2022, 1, 9));
    MakeBackup("自动备份003.backup2", 70000, Utc(2021, 12, 31));
    page.Fill();

    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    const struct {
        const char* name;
        const char* file;
        const char* date;
        const char* size;
        uint32_t bytes;
    } expected[] = {{"自动备份001", "自动备份001.backup2", "2024/3/5", "77 字节", 77},
                    {"自动备份002", "自动备份002.backup2", "2023/11/20", "1234 字节", 1234},
                    {"手工.y", "手工.y.backup2", "2022/1/9", "0 字节", 0},
                    {"自动备份003", "自动备份003.backup2", "2021/12/31", "70000 字节", 70000}};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, expected[i].name) << i;
        EXPECT_EQ(rows[i].date, expected[i].date) << i << " (the UTC date, not the local one)";
        EXPECT_EQ(rows[i].size, expected[i].size) << i;
        EXPECT_EQ(rows[i].image, 0) << i;
        ASSERT_TRUE(rows[i].entry) << i;
        EXPECT_EQ(rows[i].entry->fileName, expected[i].file) << i;
        EXPECT_EQ(rows[i].entry->fileSize, expected[i].bytes) << i;
    }
    EXPECT_EQ(CompareFileTime(&rows[0].entry->creationTime, &rows[1].entry->creationTime), 1);
    const FILETIME newest = Utc(2024, 3, 5, 23, 59);
    EXPECT_EQ(CompareFileTime(&rows[0].entry->creationTime, &newest), 0);
}

TEST_F(BackupFilePageTest, ListsWhatOpensAndLeavesOutTheRest) {
    // Contents do not matter here: empty, truncated and damaged files are listed.
    MakeBackup("empty.backup2", 0, Utc(2024, 1, 1));
    const std::vector<uint8_t> truncated = {5, 0, 0};
    WriteFileBytes(folder + "truncated.backup2", truncated);
    const std::vector<uint8_t> damaged = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    WriteFileBytes(folder + "damaged.backup2", damaged);
    MakeBackup("x.BACKUP2", 10, Utc(2024, 1, 2));
    MakeBackup("x.backup2.old", 10, Utc(2024, 1, 2));
    MakeBackup("backup2", 10, Utc(2024, 1, 2));
    ASSERT_TRUE(CreateDirectoryA((folder + "y.backup2").c_str(), nullptr));
    const std::string held = MakeBackup("held.backup2", 10, Utc(2024, 1, 3));

    // Held open without sharing by another process.
    char commandLine[] = "cmd.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                               &child));
    KernelHandle childProcess(child.hProcess), childThread(child.hThread);
    HANDLE ours = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(ours, INVALID_HANDLE_VALUE);
    HANDLE theirs = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), ours, childProcess.Get(), &theirs, 0, FALSE,
                                DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE));

    page.Fill();
    std::vector<std::string> names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"damaged", "empty", "truncated"}));
    for (const Row& row : Rows()) {
        EXPECT_FALSE(row.date.empty()) << row.name;
        EXPECT_EQ(row.size, std::to_string(row.entry->fileSize) + " 字节") << row.name;
    }

    // Once the other process is gone, the file is listed as well.
    TerminateProcess(childProcess.Get(), 0);
    WaitForSingleObject(childProcess.Get(), 10000);
    page.Clear();
    page.Fill();
    names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"damaged", "empty", "held", "truncated"}));
}

TEST_F(BackupFilePageTest, AMissingOrUnusableFolderGivesAnEmptyList) {
    ASSERT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    page.Fill();
    EXPECT_TRUE(Rows().empty());
    EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u)
        << "the listing makes the folder";
    std::string name;
    EXPECT_FALSE(page.GetSelectedFile(name));

    // A file where the folder should be.
    DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    ASSERT_TRUE(WriteFileBytes(folder.substr(0, folder.size() - 1), "x", 1));
    page.Fill();
    EXPECT_TRUE(Rows().empty());
}

TEST_F(BackupFilePageTest, TheSelectedRowGivesTheFullFileName) {
    MakeBackup("自动备份001.backup2", 10, Utc(2020, 5, 1));
    MakeBackup("自动备份002.backup2", 20, Utc(2020, 6, 1));
    page.Fill();
    ASSERT_EQ(Names(), (std::vector<std::string>{"自动备份002", "自动备份001"}));

    std::string name = "unchanged";
    EXPECT_FALSE(page.GetSelectedFile(name));
    EXPECT_EQ(name, "unchanged");

    ClickRow(1);
    ASSERT_TRUE(page.GetSelectedFile(name));
    EXPECT_EQ(name, "自动备份001.backup2");
    ClickRow(0);
    ASSERT_TRUE(page.GetSelectedFile(name));
    EXPECT_EQ(name, "自动备份002.backup2");
    EXPECT_EQ(SendMessageA(page.m_hWndList, LVM_GETSELECTEDCOUNT, 0, 0), 1) << "one row at a time";

    const Image shown = CaptureClient(page.m_hWndPage);
    EXPECT_FALSE(SaveScreenshot(shown, "backup_file_page").empty());
    // Image 0 is drawn at the start of each row.
    RECT icon = {};
    icon.left = LVIR_ICON;
    SendMessageA(page.m_hWndList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&icon));
    int coloured = 0;
    for (int y = icon.top; y < icon.bottom; ++y)
        for (int x = icon.left; x < icon.right; ++x) {
            const uint32_t c = shown.At(x, y);
            coloured += ((c >> 16) & 0xFF) != (c & 0xFF) || ((c >> 8) & 0xFF) != (c & 0xFF);
        }
    EXPECT_GT(coloured, 16) << "icon 107 in the first cell";

    page.Clear();
    name = "unchanged";
    EXPECT_FALSE(page.GetSelectedFile(name)) << "the rows and their selection are gone";
    EXPECT_EQ(name, "unchanged");
}

TEST_F(BackupFilePageTest, FillAddsClearFreesEveryEntry) {
    MakeBackup("a.backup2", 1, Utc(2020, 1, 1));
    MakeBackup("b.backup2", 2, Utc(2020, 1, 2));
    MakeBackup("c.backup2", 3, Utc(2020, 1, 3));
    page.Fill();
    page.Clear(); // warm-up: first-use allocations of the library stay
    page.Clear();
    EXPECT_TRUE(Rows().empty()) << "Clear on an empty list does nothing";

    const long before = LiveAllocations();
    page.Fill();
    page.Fill();
    const long filled = LiveAllocations();
    page.Clear();
    const long cleared = LiveAllocations();
    EXPECT_EQ(filled - before, 6) << "one entry per row";
    EXPECT_EQ(cleared, before) << "every entry freed";
    EXPECT_TRUE(Rows().empty());

    page.Fill();
    page.Fill();
    EXPECT_EQ(Names(), (std::vector<std::string>{"c", "c", "b", "b", "a", "a"}))
        << "twice without Clear lists everything twice";
    // Rows still listed when the page goes are freed with it.
    DestroyWindow(page.m_hWndPage);
    EXPECT_EQ(LiveAllocations(), before);
    EXPECT_FALSE(page.m_hWndList);
    EXPECT_FALSE(page.m_hWndPage);
}

TEST_F(BackupFilePageTest, PagesComeAndGoWithoutKeepingGdiObjects) {
    auto round = [&] {
        velk::BackupFilePage other;
        other.Create(host->Handle());
        ShowWindow(other.m_hWndPage, SW_SHOW);
        UpdateWindow(other.m_hWndPage);
        DestroyWindow(other.m_hWndPage);
    };
    round();
    const int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 20; ++i)
        round();
    EXPECT_EQ(CountGdiObjects(), before) << "the list view destroys its image list";
}

TEST_F(BackupFilePageTest, AThousandBackupsAllListInOrder) {
    std::vector<int> numbers(1000);
    for (int i = 0; i < 1000; ++i)
        numbers[i] = i + 1;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    // Backup n is n minutes younger than the first.
    for (int n : numbers) {
        char name[64];
        std::snprintf(name, sizeof name, "备份%04d.backup2", n);
        FILETIME time = Utc(2019, 2, 1);
        ULARGE_INTEGER t = {{time.dwLowDateTime, time.dwHighDateTime}};
        t.QuadPart += static_cast<uint64_t>(n) * 60 * 10000000ull;
        time = {t.LowPart, t.HighPart};
        MakeBackup(name, static_cast<size_t>(n), time);
    }
    const DWORD start = GetTickCount();
    page.Fill();
    EXPECT_LT(GetTickCount() - start, 5000u) << "a thousand rows in a few seconds at most";
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1000u);
    for (size_t i = 0; i < rows.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "备份%04d", static_cast<int>(1000 - i));
        ASSERT_EQ(rows[i].name, name) << i;
        ASSERT_EQ(rows[i].size, std::to_string(1000 - i) + " 字节") << i;
    }
    page.Clear();
    EXPECT_TRUE(Rows().empty());
}

} // namespace
