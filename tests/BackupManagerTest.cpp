#include "backup/BackupManager.h"

#include "backup/BackupRecord.h"
#include "engine/Handles.h"
#include "engine/RegistryRepairer.h"
#include "support/BackupFolderTest.h"
#include "support/WorkedExamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

const char kFirstName[] = "自动备份001.backup2";

class BackupManagerTest : public BackupFolderTest {
protected:
    bool Restore(const std::string& name, const ProblemList& items) {
        FileHandle file(CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        return manager.RestoreItems(file.Get(), items);
    }
    std::vector<std::string> Listed() {
        std::vector<std::string> names;
        manager.ListBackups(names);
        std::sort(names.begin(), names.end());
        return names;
    }
    // What every restore must bring back: all three roots' test keys.
    std::string DumpAll() {
        return DumpTree(kRootClassesRoot, "Software") + DumpTree(kRootCurrentUser, "Software") +
               DumpTree(kRootLocalMachine, "Software");
    }
    void ClearAll() {
        for (uint32_t root : {kRootClassesRoot, kRootCurrentUser, kRootLocalMachine})
            RemoveTree(root, "Software");
    }
};

// Backups of each kind of record the product writes, over entries planted here.
ProblemList PlantSample(int variant) {
    const uint32_t hkcu = kRootCurrentUser, hklm = kRootLocalMachine;
    switch (variant) {
    case 0: {
        PutString(hkcu, "Software\\A", "v", "C:\\a.exe");
        ProblemItem item = MakeItem(hkcu, "Software\\A", "v", kKindValue);
        item.locationText = "L";
        item.dataText = "D";
        item.description = "X";
        item.jobId = 3;
        return {item};
    }
    case 1:
        PutString(hklm, "Software\\P\\K", "", "x");
        PutKey(hklm, "Software\\P\\K\\S");
        return {MakeItem(hklm, "Software\\P", "K", kKindKey)};
    case 2: {
        const uint8_t binary[] = {0, 1, 0, 0xFF, 0x5C, 0};
        PutValue(hklm, "Software\\Run", "bin", REG_BINARY, binary, sizeof binary);
        PutString(hklm, "Software\\Run", "", "C:\\默认.exe");
        std::string tree = "Software\\Classes\\CLSID\\{乗俓}";
        PutString(kRootClassesRoot, tree + "\\InprocServer32", "", "C:\\gone.dll");
        PutString(kRootClassesRoot, tree + "\\InprocServer32", "ThreadingModel", "Both");
        PutValue(kRootClassesRoot, tree, "multi", REG_MULTI_SZ, "a\0b\0", 5);
        PutDword(kRootClassesRoot, tree + "\\注册表\\深", "n", 42);
        PutString(hkcu, "Software\\Fonts", "宋体", "simsun.ttc", REG_EXPAND_SZ);
        PutValue(hkcu, "Software\\Fonts", "empty", REG_NONE, "", 0);
        return {MakeItem(hklm, "Software\\Run", "bin", kKindValue),
                MakeItem(kRootClassesRoot, "Software\\Classes\\CLSID", "{乗俓}", kKindKey),
                MakeItem(hklm, "Software\\Run", "", kKindValue, false),
                MakeItem(hkcu, "Software\\Fonts", "宋体", 5),
                MakeItem(hkcu, "Software\\Fonts", "empty", kKindValue)};
    }
    case 3:
        return {};
    default: {
        std::string wide;
        while (wide.size() < 2048)
            wide += "表";
        PutString(hklm, "Software\\Long", std::string(2047, 'n'), "1");
        PutString(hklm, "Software\\Long\\Sub", wide, "2");
        return {MakeItem(hklm, "Software\\Long", std::string(2047, 'n'), kKindValue),
                MakeItem(hklm, "Software\\Long", "Sub", kKindKey)};
    }
    }
}

// Where each record of a whole backup file ends.
std::vector<size_t> RecordEnds(const std::vector<uint8_t>& bytes) {
    MemorySource source(bytes);
    std::vector<size_t> ends;
    uint32_t count = 0;
    ProblemItem item;
    for (ReadU32(source, count); ends.size() < count && ReadItemRecord(source, item);)
        ends.push_back(static_cast<size_t>(source.Position()));
    return ends;
}

void ExpectSameRecords(const ProblemList& read, const ProblemList& written, size_t count) {
    ASSERT_GE(read.size(), count);
    ASSERT_GE(written.size(), count);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(read[i].rootKey, written[i].rootKey) << i;
        EXPECT_EQ(read[i].keyPath, written[i].keyPath) << i;
        EXPECT_EQ(read[i].itemName, written[i].itemName) << i;
        EXPECT_EQ(read[i].description, written[i].description) << i;
        EXPECT_EQ(read[i].locationText, written[i].locationText) << i;
        EXPECT_EQ(read[i].dataText, written[i].dataText) << i;
        EXPECT_EQ(read[i].jobId, written[i].jobId) << i;
        EXPECT_EQ(read[i].kind, written[i].kind) << i;
        EXPECT_TRUE(read[i].selected) << i;
    }
}

} // namespace

TEST_F(BackupManagerTest, TheFolderIsNextToTheExecutableAndNamesFillTheGaps) {
    char module[2048];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string exe(module, length);
    EXPECT_EQ(folder, exe.substr(0, exe.rfind('\\')) + "\\backups\\");
    EXPECT_EQ(LastBackslash("C:\\乗"), 2u) << "0x5C as a second byte is no separator";
    EXPECT_EQ(LastBackslash("乗"), std::string::npos);

    EXPECT_EQ(manager.NextBackupName(), kFirstName);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Listed().empty());
    EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "listing makes it";

    for (const char* name : {kFirstName, "自动备份003.backup2", "x.BACKUP2", "x.backup2.old",
                             "backup2", "x.y.backup2", ".backup2"})
        ASSERT_TRUE(WriteFileBytes(folder + name, "", 0)) << name;
    CreateDirectoryA((folder + "dir.backup2").c_str(), nullptr);
    EXPECT_EQ(manager.NextBackupName(), "自动备份002.backup2");
    EXPECT_EQ(Listed(), (std::vector<std::string>{".backup2", "dir.backup2", "x.y.backup2",
                                                  kFirstName, "自动备份003.backup2"}));
}

TEST_F(BackupManagerTest, With998BackupsThereIsNoNameAndNoBackup) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int n = 1; n <= 998; ++n) {
        char name[64];
        snprintf(name, sizeof name, "自动备份%.3d.backup2", n);
        ASSERT_TRUE(WriteFileBytes(folder + name, "", 0));
    }
    EXPECT_EQ(manager.NextBackupName(), "");
    ASSERT_TRUE(PutString(kRootCurrentUser, "Software\\A", "v", "1"));
    EXPECT_FALSE(manager.CreateBackup("", {MakeItem(kRootCurrentUser, "Software\\A", "v", 0)}));
    EXPECT_EQ(Listed().size(), 998u);
}

TEST_F(BackupManagerTest, TheWorkedValueExampleIsTheWholeFile) {
    ProblemList items = PlantSample(0);
    ASSERT_TRUE(manager.CreateBackup(kFirstName, items));
    std::vector<uint8_t> bytes = ReadFileBytes(folder + kFirstName);
    std::vector<uint8_t> expected = {1, 0, 0, 0}; // count
    const std::vector<uint8_t> record = WorkedValueRecord();
    expected.insert(expected.end(), record.begin(), record.end());
    ASSERT_EQ(bytes.size(), 72u);
    EXPECT_EQ(bytes, expected);

    ProblemList read(1);
    read[0].keyPath = "kept";
    ASSERT_TRUE(manager.ReadBackup(kFirstName, read));
    ASSERT_EQ(read.size(), 2u) << "appends";
    EXPECT_EQ(read[0].keyPath, "kept");
    read.erase(read.begin());
    ExpectSameRecords(read, items, 1);
    EXPECT_EQ(read[0].backupOffset, 55);

    // An empty list is a count of 0 and nothing else.
    ASSERT_TRUE(manager.CreateBackup("empty.backup2", {}));
    EXPECT_EQ(ReadFileBytes(folder + "empty.backup2"), (std::vector<uint8_t>{0, 0, 0, 0}));
    ProblemList none;
    EXPECT_TRUE(manager.ReadBackup("empty.backup2", none));
    EXPECT_TRUE(none.empty());
}

TEST_F(BackupManagerTest, AFailedBackupLeavesNoFileAndNeverOverwrites) {
    ProblemList items = PlantSample(2);
    // Gone since the scan: a value, then a key, after records that could be written.
    RemoveTree(kRootLocalMachine, "Software\\Run");
    EXPECT_FALSE(manager.CreateBackup(kFirstName, items));
    ClearAll();
    items = PlantSample(2);
    RemoveTree(kRootClassesRoot, "Software\\Classes\\CLSID\\{乗俓}");
    EXPECT_FALSE(manager.CreateBackup(kFirstName, items));
    ClearAll();
    items = PlantSample(2);
    ProblemList pending = items;
    pending.push_back(MakeItem(kRootCurrentUser, "Software\\Fonts", "missing", kKindKey));
    EXPECT_FALSE(manager.CreateBackup(kFirstName, pending));
    EXPECT_TRUE(Listed().empty());

    ASSERT_TRUE(WriteFileBytes(folder + kFirstName, "old", 3));
    EXPECT_FALSE(manager.CreateBackup(kFirstName, items));
    EXPECT_EQ(ReadFileBytes(folder + kFirstName), (std::vector<uint8_t>{'o', 'l', 'd'}));

    // Only bare names inside the folder; nothing is written beside it.
    for (const char* name : {"..\\out.backup2", "../out.backup2", "C:out.backup2", ".", ""})
        EXPECT_FALSE(manager.CreateBackup(name, items)) << name;
    std::string parent = folder.substr(0, folder.size() - 8);
    EXPECT_EQ(GetFileAttributesA((parent + "out.backup2").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(manager.CreateBackup("乗俓.backup2", items)) << "0x5C second bytes are fine";
}

TEST_F(BackupManagerTest, AnUnusableFolderFailsTheBackup) {
    // A file where the folder should be; a read-only folder cannot be made under Wine as
    // root (the owner may always write), so this stands in for it.
    std::string bare = folder.substr(0, folder.size() - 1);
    ASSERT_TRUE(WriteFileBytes(bare, "x", 1));
    ProblemList items = PlantSample(0);
    EXPECT_EQ(manager.NextBackupName(), kFirstName);
    EXPECT_FALSE(manager.CreateBackup(kFirstName, items));
    ProblemList read;
    EXPECT_FALSE(manager.ReadBackup(kFirstName, read));
    EXPECT_TRUE(Listed().empty());
    DeleteFileA(bare.c_str());
}

TEST_F(BackupManagerTest, DamagedFilesReadWhatIsWholeAndNoMore) {
    CreateDirectoryA(folder.c_str(), nullptr);
    ProblemList items = PlantSample(2);
    ASSERT_TRUE(manager.CreateBackup("whole.backup2", items));
    std::vector<uint8_t> whole = ReadFileBytes(folder + "whole.backup2");
    std::vector<size_t> ends = RecordEnds(whole);
    ASSERT_EQ(ends.size(), items.size());
    ASSERT_EQ(ends.back(), whole.size());

    // Every truncation keeps exactly the records that were complete before it.
    for (size_t length = 0; length < whole.size(); ++length) {
        ASSERT_TRUE(WriteFileBytes(folder + "cut.backup2", whole.data(), length));
        ProblemList read;
        ASSERT_TRUE(manager.ReadBackup("cut.backup2", read));
        size_t complete =
            std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= length; });
        ASSERT_EQ(read.size(), complete) << "length " << length;
        ExpectSameRecords(read, items, complete);
    }

    // A count far beyond the records, and files too short for anything.
    std::vector<uint8_t> boasting = whole;
    boasting[0] = boasting[1] = boasting[2] = boasting[3] = 0xFF;
    ASSERT_TRUE(WriteFileBytes(folder + "count.backup2", boasting));
    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup("count.backup2", read));
    ExpectSameRecords(read, items, items.size());
    EXPECT_EQ(read.size(), items.size());
    for (size_t length : {0, 3}) {
        ASSERT_TRUE(WriteFileBytes(folder + "short.backup2", "\xFF\xFF\xFF", length));
        ProblemList none;
        EXPECT_TRUE(manager.ReadBackup("short.backup2", none));
        EXPECT_TRUE(none.empty());
    }
    ProblemList untouched(2);
    EXPECT_FALSE(manager.ReadBackup("missing.backup2", untouched));
    EXPECT_FALSE(manager.ReadBackup("..\\backups\\whole.backup2", untouched));
    EXPECT_EQ(untouched.size(), 2u);
}

TEST_F(BackupManagerTest, RestoreRecreatesPathsKeepsExtrasAndSkipsUnticked) {
    ProblemList items = PlantSample(2);
    ASSERT_TRUE(manager.CreateBackup(kFirstName, items));
    const std::string classes = DumpTree(kRootClassesRoot, "Software");
    const std::string machine = DumpTree(kRootLocalMachine, "Software");
    ClearAll();
    std::string tree = "Software\\Classes\\CLSID\\{乗俓}";
    ASSERT_TRUE(PutString(kRootClassesRoot, tree, "extra", "mine"));
    ASSERT_TRUE(PutString(kRootClassesRoot, tree, "multi", "changed"));
    ASSERT_TRUE(PutKey(kRootClassesRoot, tree + "\\ExtraKey"));

    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup(kFirstName, read));
    ASSERT_EQ(read.size(), 5u);
    read[4].selected = false;
    ASSERT_TRUE(Restore(kFirstName, read));
    EXPECT_EQ(DumpTree(kRootLocalMachine, "Software"), machine)
        << "path recreated, the value unticked at backup time written back too";
    EXPECT_FALSE(KeyExists(kRootCurrentUser, "Software")) << "unticked, and kind 5 has no data";
    EXPECT_TRUE(ValueExists(kRootClassesRoot, tree, "extra"));
    EXPECT_TRUE(KeyExists(kRootClassesRoot, tree + "\\ExtraKey"));
    RemoveTree(kRootClassesRoot, tree + "\\ExtraKey");
    RegKey key;
    ASSERT_TRUE(key.Open(kRootClassesRoot, tree.c_str(), KEY_SET_VALUE));
    ASSERT_EQ(RegDeleteValueA(key.Get(), "extra"), ERROR_SUCCESS);
    EXPECT_EQ(DumpTree(kRootClassesRoot, "Software"), classes) << "saved values overwritten";

    read[4].selected = true;
    ASSERT_TRUE(Restore(kFirstName, {read[4]}));
    EXPECT_TRUE(ValueExists(kRootCurrentUser, "Software\\Fonts", "empty"));
}

TEST_F(BackupManagerTest, RestoreFromAClosedFileTouchesNothing) {
    ProblemList items = PlantSample(1);
    ASSERT_TRUE(manager.CreateBackup(kFirstName, items));
    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup(kFirstName, read));
    ClearAll();
    EXPECT_FALSE(manager.RestoreItems(INVALID_HANDLE_VALUE, read));
    EXPECT_FALSE(manager.RestoreItems(nullptr, read));
    EXPECT_EQ(DumpAll(), "<absent><absent><absent>");
}

TEST_F(BackupManagerTest, AFileHoldsTheRecordsReadFromItAndNoOthers) {
    const ProblemList items = PlantSample(2);
    ASSERT_TRUE(manager.CreateBackup(kFirstName, items));
    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup(kFirstName, read));
    ASSERT_EQ(read.size(), items.size());
    auto holds = [&](const std::string& name, const ProblemList& list) {
        FileHandle file(CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        return manager.HoldsRecords(file.Get(), list);
    };
    EXPECT_TRUE(holds(kFirstName, read));
    ProblemList unticked = read;
    unticked[0].selected = false;
    EXPECT_TRUE(holds(kFirstName, unticked)) << "ticks are the user's";
    // What a damaged tail left of the list, and nothing at all.
    EXPECT_TRUE(holds(kFirstName, ProblemList(read.begin(), read.begin() + 2)));
    EXPECT_TRUE(holds(kFirstName, {}));

    ProblemList moved = read;
    moved[1].backupOffset += 1;
    EXPECT_FALSE(holds(kFirstName, moved));
    ProblemList renamed = read;
    renamed[2].dataText += "x";
    EXPECT_FALSE(holds(kFirstName, renamed));
    EXPECT_FALSE(holds(kFirstName, ProblemList(read.rbegin(), read.rend())));

    // Another backup under the same name.
    const std::vector<uint8_t> bytes = ReadFileBytes(folder + kFirstName);
    ASSERT_TRUE(DeleteFileA((folder + kFirstName).c_str()));
    ASSERT_TRUE(manager.CreateBackup(kFirstName, PlantSample(0)));
    EXPECT_FALSE(holds(kFirstName, read));
    // The same file cut inside the second record.
    const std::vector<size_t> ends = RecordEnds(bytes);
    ASSERT_GE(ends.size(), 2u);
    ASSERT_TRUE(WriteFileBytes(folder + kFirstName, bytes.data(), ends[1] - 1));
    EXPECT_FALSE(holds(kFirstName, read));
    EXPECT_TRUE(holds(kFirstName, ProblemList(read.begin(), read.begin() + 1)));

    EXPECT_FALSE(manager.HoldsRecords(INVALID_HANDLE_VALUE, {})) << "no file, no records";
}

TEST_F(BackupManagerTest, APayloadThatIsNotThereWholeWritesNothing) {
    ProblemList items = PlantSample(2);
    ASSERT_TRUE(manager.CreateBackup("whole.backup2", items));
    std::vector<uint8_t> whole = ReadFileBytes(folder + "whole.backup2");
    std::vector<size_t> ends = RecordEnds(whole);
    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup("whole.backup2", read));
    ASSERT_EQ(read.size(), 5u);
    const std::string classes = DumpTree(kRootClassesRoot, "Software");
    const std::string machine = DumpTree(kRootLocalMachine, "Software");

    // The list read from the whole file, restored from every cut of it: an item whose
    // payload is all there comes back exactly, the others write nothing, not even a key.
    for (size_t length = 0; length < whole.size(); ++length) {
        ClearAll();
        ASSERT_TRUE(WriteFileBytes(folder + "cut.backup2", whole.data(), length));
        EXPECT_FALSE(Restore("cut.backup2", read));
        EXPECT_EQ(ValueExists(kRootLocalMachine, "Software\\Run", "bin"), length >= ends[0]);
        EXPECT_EQ(KeyExists(kRootLocalMachine, "Software"), length >= ends[0]) << length;
        EXPECT_EQ(DumpTree(kRootClassesRoot, "Software"), length >= ends[1] ? classes : "<absent>")
            << length;
        EXPECT_EQ(ValueExists(kRootLocalMachine, "Software\\Run", ""), length >= ends[2]);
        EXPECT_FALSE(KeyExists(kRootCurrentUser, "Software")) << length;
    }
    ClearAll();
    ASSERT_TRUE(Restore("whole.backup2", read));
    EXPECT_EQ(DumpTree(kRootClassesRoot, "Software"), classes);
    EXPECT_EQ(DumpTree(kRootLocalMachine, "Software"), machine);
    EXPECT_TRUE(ValueExists(kRootCurrentUser, "Software\\Fonts", "empty"));

    // Offsets that point nowhere, and roots that are not roots, fail alone.
    ProblemList odd = read;
    odd[0].backupOffset = -1;
    odd[1].backupOffset = static_cast<int32_t>(whole.size()) + 1;
    odd[4].rootKey = 0x80000003u;
    ClearAll();
    EXPECT_FALSE(Restore("whole.backup2", odd));
    EXPECT_FALSE(KeyExists(kRootClassesRoot, "Software"));
    EXPECT_FALSE(KeyExists(kRootCurrentUser, "Software"));
    EXPECT_FALSE(ValueExists(kRootLocalMachine, "Software\\Run", "bin"));
    EXPECT_TRUE(ValueExists(kRootLocalMachine, "Software\\Run", ""));
}

namespace {

std::string ValueDump(uint32_t root, const std::string& path, const std::string& name) {
    RegKey key;
    DWORD type = 0, size = 0;
    if (!key.Open(root, path.c_str(), KEY_READ) ||
        RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return "<absent>";
    std::string data(size, '\0');
    RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                     &size);
    return std::to_string(type) + ":" + data.substr(0, size);
}

// Random registry content of every kind a backup has to carry.
class TreeMaker {
public:
    explicit TreeMaker(uint32_t seed) : m_random(seed) {}

    int Below(int n) { return static_cast<int>(m_random() % static_cast<uint32_t>(n)); }
    std::mt19937& Engine() { return m_random; }

    // Code page 936 pairs (several with 0x5C second bytes) and ASCII; a backslash only
    // where a value name may hold one.
    std::string Text(int most, bool backslash) {
        static const char* const pairs[] = {"注", "册", "表", "乗", "俓", "僜", "瞈",
                                            "砛", "碶", "宋", "体", "默", "认", "深"};
        std::string text;
        for (int i = Below(most + 1); i > 0; --i) {
            int pick = Below(10);
            if (pick < 4)
                text += pairs[Below(14)];
            else if (pick == 4 && backslash)
                text += '\\';
            else
                text += static_cast<char>(" -.{}09azAZ"[Below(11)]);
        }
        return text;
    }
    // Unique within a case, whatever the registry's case folding makes of the rest.
    std::string Name(bool key) { return Text(12, !key) + "_" + std::to_string(++m_serial); }

    void Value(uint32_t root, const std::string& path, const std::string& name) {
        std::string text = Text(30, true);
        std::string bytes;
        for (int i = Below(40); i > 0; --i)
            bytes += static_cast<char>(Below(5) == 0 ? 0 : Below(256));
        switch (Below(9)) {
        case 0:
            ASSERT_TRUE(PutString(root, path, name, text));
            break;
        case 1: // no terminating zero
            ASSERT_TRUE(PutValue(root, path, name, REG_SZ, text.data(), DWORD(text.size())));
            break;
        case 2:
            ASSERT_TRUE(PutString(root, path, name, "%SystemRoot%\\" + text, REG_EXPAND_SZ));
            break;
        case 3:
            ASSERT_TRUE(PutValue(root, path, name, REG_BINARY, bytes.data(), DWORD(bytes.size())));
            break;
        case 4:
            ASSERT_TRUE(PutDword(root, path, name, m_random()));
            break;
        case 5: {
            std::string multi = text + '\0' + Text(8, true) + '\0' + '\0';
            ASSERT_TRUE(
                PutValue(root, path, name, REG_MULTI_SZ, multi.data(), DWORD(multi.size())));
            break;
        }
        case 6:
            ASSERT_TRUE(PutValue(root, path, name, REG_NONE, bytes.data(), DWORD(bytes.size())));
            break;
        case 7: {
            const DWORD types[] = {REG_SZ, REG_BINARY, REG_NONE, REG_MULTI_SZ};
            ASSERT_TRUE(PutValue(root, path, name, types[Below(4)], "", 0));
            break;
        }
        default: {
            uint64_t q = (uint64_t(m_random()) << 32) | m_random();
            ASSERT_TRUE(PutValue(root, path, name, REG_QWORD, &q, sizeof q));
        }
        }
    }

    // Values (the default one now and then) and subkeys down to depth levels; answers
    // the names of the values it put at the top.
    std::vector<std::string> Key(uint32_t root, const std::string& path, int depth, int values) {
        std::vector<std::string> names;
        EXPECT_TRUE(PutKey(root, path));
        for (int i = 0; i < values; ++i) {
            names.push_back(i == 0 && Below(3) == 0 ? std::string() : Name(false));
            Value(root, path, names.back());
        }
        int subkeys = depth <= 1 ? 0 : Below(3) == 0 ? 2 : 1;
        for (int i = 0; i < subkeys; ++i)
            Key(root, path + "\\" + Name(true), i == 0 ? depth - 1 : Below(depth), Below(5));
        return names;
    }

private:
    std::mt19937 m_random;
    int m_serial = 0;
};

} // namespace

TEST_F(BackupManagerTest, BackupDeleteReadRestoreLeavesTheRegistryAsItWas) {
    const uint32_t roots[] = {kRootCurrentUser, kRootLocalMachine, kRootClassesRoot};
    RegistryRepairer repairer;
    TreeMaker make(0x7D1DE);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32_t root = roots[round % 3];
        const std::string base = "Software\\Round" + std::to_string(round);
        ProblemList items, overlapping;
        for (int t = 1 + make.Below(3); t > 0; --t) {
            std::string parent = base + "\\" + make.Name(true), name = make.Name(true);
            int depth = t == 1 && round % 5 == 0 ? 8 : 1 + make.Below(8);
            int values = round == 2 && t == 1 ? 3000 : make.Below(6);
            std::vector<std::string> inside = make.Key(root, parent + "\\" + name, depth, values);
            items.push_back(MakeItem(root, parent, name, kKindKey, make.Below(4) != 0));
            // A ticked value inside a ticked tree that goes first: its delete fails.
            if (round % 4 == 1 && items.back().selected && !inside.empty())
                overlapping.push_back(MakeItem(root, parent + "\\" + name, inside[0], kKindValue));
        }
        for (int k = 1 + make.Below(3); k > 0; --k) {
            std::string path = base + "\\" + make.Name(true);
            int values = round == 3 && k == 1 ? 2000 : 1 + make.Below(6);
            std::vector<std::string> names = make.Key(root, path, 1, values);
            for (size_t i = 0; i < names.size(); ++i)
                if (make.Below(3) != 0 || (values > 100 && i % 200 == 0))
                    items.push_back(MakeItem(root, path, names[i], kKindValue, make.Below(4) != 0));
        }
        std::shuffle(items.begin(), items.end(), make.Engine());
        items.insert(items.end(), overlapping.begin(), overlapping.end());
        if (HasFatalFailure()) return;

        const std::string before = DumpTree(root, base);
        std::vector<std::string> unticked;
        for (const ProblemItem& item : items)
            if (!item.selected)
                unticked.push_back(item.kind == kKindKey
                                       ? DumpTree(root, item.keyPath + "\\" + item.itemName)
                                       : ValueDump(root, item.keyPath, item.itemName));

        const std::string name = manager.NextBackupName();
        ASSERT_EQ(name, kFirstName);
        ASSERT_TRUE(manager.CreateBackup(name, items));
        EXPECT_EQ(repairer.DeleteSelectedItems(items), overlapping.empty());
        size_t u = 0;
        for (const ProblemItem& item : items) {
            if (!item.selected) {
                EXPECT_EQ(item.kind == kKindKey
                              ? DumpTree(root, item.keyPath + "\\" + item.itemName)
                              : ValueDump(root, item.keyPath, item.itemName),
                          unticked[u++])
                    << "unticked " << item.itemName;
            } else if (item.kind == kKindKey) {
                EXPECT_FALSE(KeyExists(root, item.keyPath + "\\" + item.itemName));
            } else {
                EXPECT_FALSE(ValueExists(root, item.keyPath, item.itemName));
            }
        }

        ProblemList read;
        ASSERT_TRUE(manager.ReadBackup(name, read));
        ASSERT_EQ(read.size(), items.size());
        ExpectSameRecords(read, items, items.size());
        EXPECT_TRUE(Restore(name, read));
        EXPECT_EQ(DumpTree(root, base), before);
        RemoveTree(root, base);
        ASSERT_TRUE(DeleteFileA((folder + name).c_str()));
    }
}

TEST_F(BackupManagerTest, NamesOf2047And2048BytesComeBackWhole) {
    ProblemList items = PlantSample(4);
    std::string wide;
    while (wide.size() < 2048)
        wide += "乗";
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Long", wide, "3"));
    ASSERT_TRUE(PutString(kRootLocalMachine, "Software\\Long", std::string(2048, 'w'), "4"));
    items.push_back(MakeItem(kRootLocalMachine, "Software\\Long", wide, kKindValue));
    items.push_back(MakeItem(kRootLocalMachine, "Software\\Long", std::string(2048, 'w'), 0));
    const std::string before = DumpAll();
    ASSERT_TRUE(manager.CreateBackup(kFirstName, items));
    EXPECT_TRUE(RegistryRepairer().DeleteSelectedItems(items));
    EXPECT_EQ(DumpTree(kRootLocalMachine, "Software\\Long"), "\\\n");
    ProblemList read;
    ASSERT_TRUE(manager.ReadBackup(kFirstName, read));
    ExpectSameRecords(read, items, items.size());
    ASSERT_TRUE(Restore(kFirstName, read));
    EXPECT_EQ(DumpAll(), before);
}

TEST_F(BackupManagerTest, RandomByteChangesNeverHurt) {
    ProblemList items = PlantSample(2);
    ASSERT_TRUE(manager.CreateBackup("whole.backup2", items));
    const std::vector<uint8_t> whole = ReadFileBytes(folder + "whole.backup2");
    const std::vector<size_t> ends = RecordEnds(whole);
    // Read only: restoring damaged names makes keys Wine cannot delete again.
    std::mt19937 random(5150);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = whole;
        size_t first = bytes.size();
        for (int n = 1 + int(random() % 4); n > 0; --n) {
            size_t at = random() % bytes.size();
            uint8_t was = bytes[at];
            bytes[at] = random() % 3 == 0 ? 0xFF : static_cast<uint8_t>(random());
            if (bytes[at] != was) first = std::min(first, at);
        }
        ASSERT_TRUE(WriteFileBytes(folder + "changed.backup2", bytes));
        ProblemList read;
        ASSERT_TRUE(manager.ReadBackup("changed.backup2", read));
        // The records that end before the first change are the ones written.
        size_t intact = first < 4 ? 0 : std::count_if(ends.begin(), ends.end(), [&](size_t end) {
            return end <= first;
        });
        ExpectSameRecords(read, items, std::min(intact, read.size()));
        EXPECT_GE(read.size(), intact) << round;
        if (HasFailure()) break;
    }
}

TEST_F(BackupManagerTest, SampleBackupsReadBackAsWritten) {
    // TIDEWELL_CORPUS_DIR set: the samples are also copied there, as the fuzzer's seeds.
    char corpus[1024];
    DWORD length = GetEnvironmentVariableA("TIDEWELL_CORPUS_DIR", corpus, sizeof corpus);
    for (int variant = 0; variant <= 4; ++variant) {
        ClearAll();
        ProblemList items = PlantSample(variant);
        std::string name = "sample" + std::to_string(variant) + ".backup2";
        ASSERT_TRUE(manager.CreateBackup(name, items));
        ProblemList read;
        ASSERT_TRUE(manager.ReadBackup(name, read));
        ASSERT_EQ(read.size(), items.size());
        ExpectSameRecords(read, items, items.size());
        if (length > 0 && length < sizeof corpus) {
            EXPECT_TRUE(
                WriteFileBytes(std::string(corpus) + "\\" + name, ReadFileBytes(folder + name)));
        }
    }
}
