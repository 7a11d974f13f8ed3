#include "backup/BackupManager.h"

#include "checks/Place.h"
#include "engine/JobEnumerator.h"
#include "engine/RegistryRepairer.h"
#include "support/BackupFolderTest.h"

#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

const char kFirst[] = "自动备份001.backup2";

class BackupManagerTest : public BackupFolderTest {
protected:
    std::string Gone(std::string text) {
        const size_t at = text.find('%');
        return at == std::string::npos ? text : text.replace(at, 1, files.Path("gone\\"));
    }
    FileHandle Open(const std::string& name) { return manager.OpenBackup(name); }
    ProblemList Read(const std::string& name) {
        ProblemList read;
        EXPECT_TRUE(manager.ReadBackup(name, read)) << name;
        return read;
    }
};

std::vector<std::string> Fields(const ProblemList& items) {
    std::vector<std::string> lines;
    for (const ProblemItem& i : items)
        lines.push_back(std::to_string(i.rootKey) + "|" + i.keyPath + "|" + i.itemName + "|" +
                        i.description + "|" + i.locationText + "|" + i.dataText + "|" +
                        std::to_string(i.jobId) + "|" + std::to_string(i.kind));
    return lines;
}

// Random content of every kind a backup carries.
struct TreeMaker {
    int Below(int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); }
    // Code page 936 pairs, 0x5C second bytes among them, ASCII, '\' but in keys; numbered.
    std::string Name(int most, bool key) {
        static const char* const pairs[] = {"注", "册", "乗", "俓", "僜", "瞈", "砛", "碶", "深"};
        std::string text;
        for (int i = Below(most + 1); i > 0; --i)
            text += Below(2) ? pairs[Below(9)] : std::string(1, "-.{}09aZ \\"[Below(10 - key)]);
        return text + "_" + std::to_string(++serial);
    }
    // Values of every type, some empty or unterminated, and subkeys down to depth levels.
    std::vector<std::string> Key(uint32_t root, const std::string& path, int depth, int values) {
        const DWORD types[] = {REG_SZ,   REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY,
                               REG_NONE, REG_DWORD,     REG_QWORD};
        std::vector<std::string> names;
        EXPECT_TRUE(PutKey(root, path));
        for (int i = 0; i < values; ++i) {
            names.push_back(i == 0 && Below(3) == 0 ? std::string() : Name(10, false));
            const int pick = Below(7);
            std::string data = Name(20, false) + std::string(pick == 2 ? 2 : Below(2), '\0');
            for (char& byte : data)
                byte = pick >= 3 ? static_cast<char>(random()) : byte;
            data.resize(pick >= 5 ? (pick - 4) * 4 : Below(8) ? data.size() : 0);
            EXPECT_TRUE(
                PutValue(root, path, names.back(), types[pick], data.data(), DWORD(data.size())));
        }
        for (int i = depth > 1 ? 1 + Below(2) : 0; i > 0; --i)
            Key(root, path + "\\" + Name(10, true), i == 1 ? depth - 1 : Below(depth), Below(5));
        return names;
    }
    std::mt19937 random{0x7D1DE};
    int serial = 0;
};

// An entry each check finds stale, in each place: the subkey of a place of keys, and
// the value judged, naming something in a missing folder (%).
struct Stale {
    PlaceId place;
    const char* subkey;
    const char* value;
    const char* data;
};
// Where all of them lie.
const std::pair<uint32_t, const char*> kTops[] = {{kRootLocalMachine, "Software"},
                                                  {kRootCurrentUser, "Software"},
                                                  {kRootClassesRoot, "CLSID"},
                                                  {kRootClassesRoot, "Wow6432Node"}};
const Stale kStale[] = {
    {kShellFoldersPlace, "", "Tw", "%dir"},
    {kClassesPlace, "{7D1F0C2E-7E57-4A11-9D00-00000000C0DE}\\InprocServer32", "", "%s.dll"},
    {kAppPathsPlace, "tw.exe", "", "%a.exe"},
    {kMuiCachePlace, "", "%m.exe", "Tw"},
    {kFontsPlace, "", "Tw (TrueType)", "%f.ttf"},
    {kHelpPlace, "", "tw.hlp", "%"},
    {kHtmlHelpPlace, "", "tw.chm", "%"},
    {kSharedDllsPlace, "", "%s.dll", "1"},
    {kRunPlace, "", "Tw", "%r.exe"},
    {kUninstallPlace, "tw", "UninstallString", "%u.exe"},
    {kInstallerFoldersPlace, "", "%dir", ""},
};

} // namespace

TEST_F(BackupManagerTest, BackupDeleteRestoreLeavesTheRegistryAsItWas) {
    TreeMaker make;
    JobEnumerator jobs;
    const Place& run = kPlaces[kRunPlace];
    const std::string uninstall = kPlaces[kUninstallPlace].path;
    RegKey software; // a handle is a number, as a root is
    ASSERT_TRUE(software.Create(kRootLocalMachine, "Software", KEY_READ));
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(software.Get()));
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // What every check finds in each view it reads, its keys holding random trees.
        for (const Stale& stale : kStale) {
            const Place& place = kPlaces[stale.place];
            for (const std::string& view : {std::string(place.path), place.PathFor32Bit()}) {
                if (view.empty()) continue;
                const std::string key = view + (*stale.subkey ? "\\" : "") + stale.subkey;
                if (place.kind == kKindKey)
                    make.Key(place.root, key.substr(0, key.find('\\', view.size() + 1)),
                             1 + make.Below(round % 2 ? 8 : 3), make.Below(6));
                ASSERT_TRUE(PutString(place.root, key, Gone(stale.value), Gone(stale.data)));
            }
        }
        ProblemList items;
        ScanStatus status;
        for (const auto& job : jobs)
            job->Scan(&status, &items);
        ASSERT_EQ(items.size(), 20u) << "in both views where a check reads both";
        // Values of every type beside them, as the startup check names them; twice past 64 KiB.
        for (const std::string& value : make.Key(run.root, run.path, 1, round < 2 ? 3000 : 5))
            items.push_back(MakeItem(run.root, run.path, value, kKindValue));
        if (round == 0) { // a tree with names of 2047 and 2048 bytes (1024 characters)
            for (const std::string& name : {std::string(2047, 'n'), std::string(2048, '\xB1')})
                ASSERT_TRUE(PutString(kRootLocalMachine, uninstall + "\\Long\\Sub", name, "1"));
            items.push_back(MakeItem(kRootLocalMachine, uninstall, "Long", kKindKey));
        }
        std::vector<std::string> gone;
        for (ProblemItem& item : items) {
            item.selected = make.Below(4) != 0;
            const std::string at = std::to_string(item.rootKey) + "\\" + item.keyPath;
            if (item.selected)
                gone.push_back(item.kind ? at + "\\" + item.itemName + "\\"
                                         : at + "\\:" + item.itemName + "|");
        }
        std::shuffle(items.begin(), items.end(), make.random);
        const std::string before = Registry();
        // What cannot be backed up whole leaves no file: an entry gone, a root that is none.
        ProblemList spoiled = items;
        spoiled.push_back(round % 3 < 2 ? MakeItem(run.root, run.path, "gone", round % 3)
                                        : MakeItem(handle, "", "Microsoft", kKindKey));
        EXPECT_FALSE(manager.CreateBackup(kFirst, spoiled));
        ASSERT_EQ(manager.NextBackupName(), kFirst);
        ASSERT_TRUE(manager.CreateBackup(kFirst, items));
        EXPECT_FALSE(manager.CreateBackup(kFirst, {})) << "never overwrites";
        EXPECT_TRUE(RegistryRepairer().DeleteSelectedItems(items));
        const ProblemList read = Read(kFirst);
        EXPECT_EQ(Fields(read), Fields(items));
        for (const ProblemItem& item : read)
            EXPECT_TRUE(item.selected && !item.foreign) << item.keyPath << "\\" << item.itemName;
        EXPECT_EQ(Registry(), Without(before, gone)) << "the ticked ones, and no more";
        EXPECT_TRUE(manager.RestoreItems(Open(kFirst).Get(), read));
        EXPECT_EQ(Registry(), before);
        for (const auto& [root, key] : kTops)
            RemoveTree(root, key);
        if (const char* corpus = std::getenv("TIDEWELL_CORPUS_DIR")) // the fuzzer's seeds
            CopyFileA((folder + kFirst).c_str(),
                      (corpus + ("\\round" + std::to_string(round)) + ".backup2").c_str(), FALSE);
        ASSERT_TRUE(DeleteFileA((folder + kFirst).c_str()));
    }
}

TEST_F(BackupManagerTest, ACutFileReadsAndRestoresOnlyWhatIsWhole) {
    // A tree, its values, one unticked, and an item of another kind.
    const uint32_t hklm = kRootLocalMachine;
    const std::string run = kPlaces[kRunPlace].path, off = kPlaces[kUninstallPlace].path;
    TreeMaker make;
    make.Key(hklm, off + "\\A", 3, 4);
    ProblemList items = {MakeItem(hklm, off, "A", kKindKey), MakeItem(hklm, off, "A", 5)};
    for (const std::string& name : make.Key(hklm, run, 1, 4))
        items.push_back(MakeItem(hklm, run, name, kKindValue, items.size() != 3));
    ASSERT_TRUE(manager.CreateBackup(kFirst, items));
    const std::vector<uint8_t> whole = ReadFileBytes(folder + kFirst);
    const ProblemList read = Read(kFirst);
    std::vector<size_t> ends; // where each record ends: the size of a backup of those so far
    for (size_t n = 1; n <= items.size(); ++n) {
        const std::string name = std::to_string(n) + ".backup2";
        ASSERT_TRUE(manager.CreateBackup(name, ProblemList(items.begin(), items.begin() + n)));
        ends.push_back(ReadFileBytes(folder + name).size());
    }
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const size_t complete = std::upper_bound(ends.begin(), ends.end(), length) - ends.begin();
        const ProblemList kept(read.begin(), read.begin() + complete);
        ProblemList ticked = read; // the whole file with only what is whole in the cut ticked
        for (size_t i = complete; i < ticked.size(); ++i)
            ticked[i].selected = false;
        RemoveTree(hklm, "Software");
        manager.RestoreItems(Open(kFirst).Get(), ticked);
        const std::string restored = DumpTree(hklm, "Software");
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        std::fill_n(cut.begin(), std::min<size_t>(length, 4), 0xFF); // a count beyond the records
        ASSERT_TRUE(WriteFileBytes(folder + "cut.backup2", cut));
        EXPECT_EQ(Fields(Read("cut.backup2")), Fields(kept));
        EXPECT_TRUE(manager.HoldsRecords(Open("cut.backup2").Get(), kept));
        EXPECT_FALSE(manager.HoldsRecords(Open("cut.backup2").Get(), read));
        RemoveTree(hklm, "Software");
        EXPECT_FALSE(manager.RestoreItems(Open("cut.backup2").Get(), read));
        ASSERT_EQ(DumpTree(hklm, "Software"), restored) << "all of a payload or nothing";
    }
}

TEST_F(BackupManagerTest, NamesStayInTheFolderAndAutomaticOnesStopAt998) {
    for (const char* name : {"..\\out.backup2", "../out.backup2", "C:out.backup2", ".", "..", ""})
        EXPECT_FALSE(manager.CreateBackup(name, {})) << name;
    EXPECT_FALSE(DeleteFileA((folder + "..\\out.backup2").c_str())) << "nothing beside the folder";
    EXPECT_TRUE(manager.CreateBackup("乗俓.backup2", {})) << "0x5C second bytes are no separator";
    EXPECT_EQ(manager.NextBackupName(), kFirst);
    const std::string second = "自动备份002.backup2";
    for (int n = 1; n <= 998; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "自动备份%.3d.backup2", n);
        ASSERT_TRUE(name == second || WriteFileBytes(folder + name, "", 0));
    }
    EXPECT_EQ(manager.NextBackupName(), second);
    ASSERT_TRUE(WriteFileBytes(folder + second, "", 0));
    EXPECT_EQ(manager.NextBackupName(), "");
}

// Only Administrators and SYSTEM may change the folder the program makes. Wine keeps no
// DACL of a file and reports one made from the Unix mode bits: a folder the test makes
// with that DACL tells what the platform keeps of it.
TEST_F(BackupManagerTest, TheFolderItMakesOnlyAdministratorsChange) {
    const std::string ours = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)";
    auto dacl = [](const std::string& path) {
        FileHandle folder(CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        char* text = nullptr;
        if (GetSecurityInfo(folder.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS)
            ConvertSecurityDescriptorToStringSecurityDescriptorA(
                descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
        const std::string read = text ? text : "unreadable";
        LocalFree(text);
        LocalFree(descriptor);
        return read;
    };
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(ours.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    ASSERT_TRUE(CreateDirectoryA(files.Path("made").c_str(), &attributes));
    LocalFree(descriptor);
    ASSERT_TRUE(manager.CreateBackup(kFirst, {}));
    const std::string kept = dacl(files.Path("made")), got = dacl(folder);
    EXPECT_EQ(got, kept == ours ? ours : kept);
    EXPECT_EQ(got.find(";;;WD)"), got.find("(A;OICI;0x1200a9;;;WD)") + 16) << "everyone reads";
}

// Nothing is read or written through a junction in place of the folder, nor through a
// link in it. Wine 10 makes neither: FSCTL_SET_REPARSE_POINT is not supported there and
// CreateSymbolicLinkW makes nothing.
TEST_F(BackupManagerTest, NothingGoesThroughAJunctionOrALink) {
    const std::string elsewhere = files.MakeDir("elsewhere") + "\\",
                      path = folder.substr(0, folder.size() - 1);
    ASSERT_TRUE(WriteFileBytes(elsewhere + kFirst, "\0\0\0\0", 4));
    std::wstring target = L"\\??\\" + std::wstring(elsewhere.begin(), elsewhere.end());
    std::vector<WORD> junction = {LOWORD(IO_REPARSE_TAG_MOUNT_POINT),
                                  HIWORD(IO_REPARSE_TAG_MOUNT_POINT),
                                  0,
                                  0,
                                  0,
                                  WORD(2 * target.size()),
                                  WORD(2 * target.size() + 2),
                                  0};
    junction.insert(junction.end(), target.begin(), target.end());
    junction.insert(junction.end(), {0, 0});
    junction[2] = WORD(2 * junction.size() - 8);
    DWORD done = 0;
    const bool made =
        CreateDirectoryA(path.c_str(), nullptr) &&
        DeviceIoControl(
            FileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                   nullptr))
                .Get(),
            FSCTL_SET_REPARSE_POINT, junction.data(), DWORD(2 * junction.size()), nullptr, 0, &done,
            nullptr);
    if (!made) GTEST_SKIP() << "no junction can be made here";
    std::vector<std::string> names;
    manager.ListBackups(names);
    ProblemList read;
    EXPECT_TRUE(names.empty() && manager.FolderIsLink() && !manager.ReadBackup(kFirst, read));
    EXPECT_FALSE(manager.CreateBackup("new.backup2", {}) || manager.OpenBackup(kFirst));
    EXPECT_EQ(manager.CreateAutomaticBackup({}), "");
    EXPECT_EQ(GetFileAttributesA((elsewhere + "new.backup2").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(RemoveDirectoryA(path.c_str()) && manager.CreateBackup("new.backup2", {}));
    ASSERT_TRUE(
        CreateSymbolicLinkA((folder + "link.backup2").c_str(), (elsewhere + kFirst).c_str(), 0));
    manager.ListBackups(names);
    EXPECT_EQ(names, std::vector<std::string>{"new.backup2"});
    EXPECT_FALSE(manager.OpenBackup("link.backup2"));
}
