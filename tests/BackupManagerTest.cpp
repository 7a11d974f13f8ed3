#include "backup/BackupManager.h"

#include "engine/RegistryRepairer.h"
#include "support/BackupFolderTest.h"

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

const char kFirst[] = "自动备份001.backup2";

class BackupManagerTest : public BackupFolderTest {
protected:
    FileHandle Open(const std::string& name) {
        return FileHandle(CreateFileA((folder + name).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    }
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

} // namespace

TEST_F(BackupManagerTest, BackupDeleteRestoreLeavesTheRegistryAsItWas) {
    TreeMaker make;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32_t root = kRootClassesRoot + round % 3;
        const std::string base = "Software\\R" + std::to_string(round);
        ProblemList items;
        std::vector<std::string> gone;
        for (int n = 2 + make.Below(5); n > 0; --n) {
            // A tree, eight levels deep now and then, or values of a key; twice past 64 KiB.
            const bool tree = n % 2 == 0;
            const std::string name = make.Name(10, true), path = base + "\\" + name;
            const std::vector<std::string> values =
                make.Key(root, path, tree ? 1 + make.Below(8) : 1,
                         (round == 1 && n == 1) || (round == 2 && n == 2) ? 3000 : make.Below(6));
            for (const std::string& value : tree ? std::vector<std::string>{name} : values) {
                const bool ticked = make.Below(4) != 0;
                items.push_back(tree ? MakeItem(root, base, name, kKindKey, ticked)
                                     : MakeItem(root, path, value, kKindValue, ticked));
                if (ticked) gone.push_back("\\" + name + (tree ? "\\" : "\\:" + value + "|"));
            }
        }
        if (round == 0) { // a tree with names of 2047 and 2048 bytes (1024 characters)
            for (const std::string& name : {std::string(2047, 'n'), std::string(2048, '\xB1')})
                ASSERT_TRUE(PutString(root, base + "\\Long\\Sub", name, "1"));
            items.push_back(MakeItem(root, base, "Long", kKindKey));
            gone.push_back("\\Long\\");
        }
        std::shuffle(items.begin(), items.end(), make.random);
        const std::string before = DumpTree(root, base);
        RegKey software; // a handle is a number, as a root is
        ASSERT_TRUE(software.Open(root, "Software", KEY_READ));
        const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(software.Get()));
        // What cannot be backed up whole leaves no file: an entry gone, a root that is none.
        ProblemList spoiled = items;
        spoiled.push_back(round % 3 < 2 ? MakeItem(root, base, "gone", round % 3)
                                        : MakeItem(handle, "", base.substr(9), kKindKey));
        EXPECT_FALSE(manager.CreateBackup(kFirst, spoiled));
        ASSERT_EQ(manager.NextBackupName(), kFirst);
        ASSERT_TRUE(manager.CreateBackup(kFirst, items));
        EXPECT_FALSE(manager.CreateBackup(kFirst, {})) << "never overwrites";
        EXPECT_TRUE(RegistryRepairer().DeleteSelectedItems(items));
        const ProblemList read = Read(kFirst);
        EXPECT_EQ(Fields(read), Fields(items));
        ProblemList foreign = read;
        for (ProblemItem& item : foreign) {
            item.rootKey = handle;
            item.keyPath.erase(0, 9);
        }
        EXPECT_FALSE(manager.RestoreItems(Open(kFirst).Get(), foreign));
        EXPECT_EQ(DumpTree(root, base), Without(before, gone)) << "the ticked ones, and no more";
        EXPECT_TRUE(manager.RestoreItems(Open(kFirst).Get(), read));
        EXPECT_EQ(DumpTree(root, base), before);
        RemoveTree(root, base);
        if (const char* corpus = std::getenv("TIDEWELL_CORPUS_DIR")) // the fuzzer's seeds
            CopyFileA((folder + kFirst).c_str(),
                      (corpus + ("\\round" + std::to_string(round)) + ".backup2").c_str(), FALSE);
        ASSERT_TRUE(DeleteFileA((folder + kFirst).c_str()));
    }
}

TEST_F(BackupManagerTest, ACutFileReadsAndRestoresOnlyWhatIsWhole) {
    // A tree, its values, one unticked, and an item of another kind.
    const uint32_t hkcu = kRootCurrentUser;
    ProblemList items = {MakeItem(hkcu, "Software", "A", kKindKey),
                         MakeItem(hkcu, "Software", "A", 5)};
    for (const std::string& name : TreeMaker().Key(hkcu, "Software\\A", 3, 4))
        items.push_back(MakeItem(hkcu, "Software\\A", name, kKindValue, items.size() != 3));
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
        RemoveTree(hkcu, "Software");
        manager.RestoreItems(Open(kFirst).Get(), ticked);
        const std::string restored = DumpTree(hkcu, "Software");
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        std::fill_n(cut.begin(), std::min<size_t>(length, 4), 0xFF); // a count beyond the records
        ASSERT_TRUE(WriteFileBytes(folder + "cut.backup2", cut));
        EXPECT_EQ(Fields(Read("cut.backup2")), Fields(kept));
        EXPECT_TRUE(manager.HoldsRecords(Open("cut.backup2").Get(), kept));
        EXPECT_FALSE(manager.HoldsRecords(Open("cut.backup2").Get(), read));
        RemoveTree(hkcu, "Software");
        EXPECT_FALSE(manager.RestoreItems(Open("cut.backup2").Get(), read));
        ASSERT_EQ(DumpTree(hkcu, "Software"), restored) << "all of a payload or nothing";
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
