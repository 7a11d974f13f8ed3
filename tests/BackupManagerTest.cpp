#include "backup/BackupManager.h"

#include "checks/Place.h"
#include "engine/JobEnumerator.h"
#include "engine/RegistryRepairer.h"
#include "support/BackupFolderTest.h"

#include <aclapi.h>
#include <sddl.h>

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
const std::tuple<PlaceId, const char*, const char*, const char*> kStale[] = {
    // clang-format off
    {kShellFoldersPlace, "", "Tw", "%dir"}, {kMuiCachePlace, "", "%m.exe", "Tw"},
    {kClassesPlace, "{7D1F0C2E-7E57-4A11-9D00-00000000C0DE}\\InprocServer32", "", "%s.dll"},
    {kAppPathsPlace, "tw.exe", "", "%a.exe"}, {kUninstallPlace, "tw", "UninstallString", "%u.exe"},
    {kFontsPlace, "", "Tw (TrueType)", "%f.ttf"}, {kHelpPlace, "", "tw.hlp", "%"},
    {kHtmlHelpPlace, "", "tw.chm", "%"}, {kSharedDllsPlace, "", "%s.dll", "1"},
    {kRunPlace, "", "Tw", "%r.exe"}, {kInstallerFoldersPlace, "", "%dir", ""},
    {kUserRunPlace, "", "Tw", "%r.exe"}, {kUserAppPathsPlace, "tw.exe", "", "%a.exe"},
    {kUserMuiCachePlace, "", "%m.exe.FriendlyAppName", "Tw"}, {kCompatStorePlace, "", "%c.exe", ""},
    {kUserLayersPlace, "", "%l.exe", "~ RUNASADMIN"}, {kLayersPlace, "", "%l.exe", "~ RUNASADMIN"},
    {kUserUninstallPlace, "tw", "UninstallString", "%u.exe"}, {kUserFontsPlace, "", "Tw", "%f.ttf"},
}; // clang-format on

} // namespace

TEST_F(BackupManagerTest, BackupDeleteRestoreLeavesTheRegistryAsItWas) {
    TreeMaker make;
    JobEnumerator jobs;
    const Place& run = kPlaces[kRunPlace];
    const std::string uninstall = kPlaces[kUninstallPlace].path;
    RegKey software; // a handle is a number, as a root is
    ASSERT_TRUE(software.Create(kRootLocalMachine, "Software", KEY_READ));
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(software.Get()));
    // Value names of 2048 bytes, keys of 400, in two-byte characters.
    const std::string wide(2048, '\xB1'), sub(400, '\xB1');
    ASSERT_TRUE(PutString(run.root, run.path, "kept", "x"));
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // What every check finds in each view it reads, its keys holding random trees.
        for (const auto& [id, subkey, value, data] : kStale) {
            const Place& place = kPlaces[id];
            for (const std::string& view : {std::string(place.path), place.PathFor32Bit()}) {
                if (view.empty()) continue;
                const std::string key = view + (*subkey ? "\\" : "") + subkey;
                if (place.kind == kKindKey)
                    make.Key(place.root, key.substr(0, key.find('\\', view.size() + 1)),
                             1 + make.Below(round % 2 ? 8 : 3), make.Below(6));
                ASSERT_TRUE(PutString(place.root, key, Gone(value), Gone(data)));
            }
        }
        ProblemList items;
        ScanStatus status;
        for (const auto& job : jobs)
            job->Scan(&status, &items);
        ASSERT_EQ(items.size(), 29u) << "in both views where a check reads both";
        // Values of every type beside them, as the startup check names them; twice past 64 KiB.
        for (const std::string& value : make.Key(run.root, run.path, 1, round < 2 ? 3000 : 5))
            items.push_back(MakeItem(run.root, run.path, value, kKindValue));
        const size_t sure = items.size(); // what follows is ticked
        if (round == 0) { // names of 2047 and 2048 bytes (1024 characters), and a tree of them
            for (const std::string& name : {std::string(2047, 'n'), wide}) {
                ASSERT_TRUE(PutString(run.root, run.path, name, "1") &&
                            PutString(kRootLocalMachine, uninstall + "\\L\\" + sub, name, "1"));
                items.push_back(MakeItem(run.root, run.path, name, kKindValue));
            }
            items.push_back(MakeItem(kRootLocalMachine, uninstall, "L", kKindKey));
        }
        std::vector<std::string> gone;
        for (ProblemItem& item : items) {
            item.selected = size_t(&item - items.data()) >= sure || make.Below(4) != 0;
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
        ProblemList repair = items; // in odd rounds after what is refused and passed over:
        if (round % 2)              // a handle for a root, a key without a name, another kind
            repair.insert(repair.begin(), {MakeItem(handle, "", "Microsoft", kKindKey),
                                           MakeItem(run.root, run.path, "", kKindKey),
                                           MakeItem(run.root, run.path, "kept", 2)});
        EXPECT_EQ(RegistryRepairer().DeleteSelectedItems(repair), round % 2 == 0);
        const ProblemList read = Read(kFirst);
        EXPECT_EQ(Fields(read), Fields(items));
        for (const ProblemItem& item : read)
            EXPECT_TRUE(item.selected && !item.foreign) << item.keyPath << "\\" << item.itemName;
        EXPECT_EQ(Registry(), Without(before, gone)) << "the ticked ones, and no more";
        EXPECT_TRUE(manager.RestoreItems(Open(kFirst).Get(), read));
        EXPECT_EQ(Registry(), before);                               // the next round adds to it
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
    const std::string whole = ReadFileBytes(folder + kFirst);
    const ProblemList read = Read(kFirst);
    std::vector<size_t> ends; // where each record ends: the size of a backup of those so far
    for (size_t n = 1; n <= items.size(); ++n) {
        const std::string name = std::to_string(n) + ".backup2";
        ASSERT_TRUE(manager.CreateBackup(name, ProblemList(items.begin(), items.begin() + n)));
        ends.push_back(ReadFileBytes(folder + name).size());
    }
    std::string restored; // what the whole file restores with only what is whole in the cut ticked
    size_t restoredFor = SIZE_MAX; // made anew only when a cut holds one record more
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const size_t complete = std::upper_bound(ends.begin(), ends.end(), length) - ends.begin();
        const ProblemList kept(read.begin(), read.begin() + complete);
        if (complete != restoredFor) {
            ProblemList ticked = read;
            for (size_t i = complete; i < ticked.size(); ++i)
                ticked[i].selected = false;
            RemoveTree(hklm, "Software");
            manager.RestoreItems(Open(kFirst).Get(), ticked);
            restored = DumpTree(hklm, "Software"), restoredFor = complete;
        }
        std::string cut = whole.substr(0, length); // its count beyond the records
        cut.replace(0, 4, std::string(std::min<size_t>(length, 4), '\xFF'));
        ASSERT_TRUE(WriteFileBytes(folder + "cut.backup2", cut));
        EXPECT_EQ(Fields(Read("cut.backup2")), Fields(kept));
        EXPECT_TRUE(manager.HoldsRecords(Open("cut.backup2").Get(), kept));
        EXPECT_FALSE(manager.HoldsRecords(Open("cut.backup2").Get(), read));
        RemoveTree(hklm, "Software");
        EXPECT_FALSE(manager.RestoreItems(Open("cut.backup2").Get(), read));
        ASSERT_EQ(DumpTree(hklm, "Software"), restored) << "all of a payload or nothing";
    }
}

// Only Administrators and SYSTEM may change the folder it makes. Wine keeps no DACL of a
// file and reports one made from the Unix mode: a folder made here with that DACL shows
// what the platform keeps of it.
TEST_F(BackupManagerTest, NamesStayInTheFolderWhichOnlyAdministratorsChange) {
    for (const char* name : {"..\\out.backup2", "../out.backup2", "C:out.backup2", ".", "..", ""})
        EXPECT_FALSE(manager.CreateBackup(name, {})) << name;
    EXPECT_FALSE(DeleteFileA((folder + "..\\out.backup2").c_str())) << "nothing beside the folder";
    EXPECT_TRUE(manager.CreateBackup("乗俓.backup2", {})) << "0x5C second bytes are no separator";
    auto dacl = [](const std::string& path) {
        FileHandle dir(CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        char* text = nullptr;
        GetSecurityInfo(dir.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        nullptr, nullptr, &descriptor);
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, 0);
        const std::string read = text ? text : "unreadable";
        LocalFree(text);
        LocalFree(descriptor);
        return read;
    };
    const char ours[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    TestFolder files;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(ours, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    ASSERT_TRUE(CreateDirectoryA(files.Path("made").c_str(), &attributes));
    LocalFree(descriptor);
    const std::string kept = dacl(files.Path("made"));
    EXPECT_EQ(dacl(folder), kept == ours ? ours : kept);
    EXPECT_EQ(manager.NextBackupName(), kFirst);
    const std::string second = "自动备份002.backup2";
    for (int n = 1; n <= 998; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "自动备份%.3d.backup2", n);
        ASSERT_TRUE(name == second || WriteFileBytes(folder + name, ""));
    }
    EXPECT_EQ(manager.NextBackupName(), second);
    ASSERT_TRUE(WriteFileBytes(folder + second, ""));
    EXPECT_EQ(manager.NextBackupName(), "");
}
