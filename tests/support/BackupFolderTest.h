// Fixture of tests that use the backup folder next to the test executable. ctest runs
// tests in parallel processes that share it: each holds a named mutex while it runs.
#pragma once

#include "backup/BackupManager.h"
#include "engine/Handles.h"
#include "support/SandboxTest.h"

#include <fstream>
#include <sstream>

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// Fields of the file format, by hand.
inline std::string U32(uint32_t value) {
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}
inline std::string Str(const std::string& text) {
    return U32(uint32_t(text.size() + 1)) + text + '\0';
}

inline ProblemItem MakeItem(uint32_t root, const std::string& keyPath, const std::string& name,
                            int32_t kind, bool selected = true) {
    return {root, keyPath, name, "值无效。", keyPath, name + " 数据", 3, 0, kind, selected};
}

// A dump without the lines that begin with any of the prefixes, in any ASCII case.
inline std::string Without(const std::string& dump, const std::vector<std::string>& prefixes) {
    std::istringstream lines(dump);
    std::string line, kept;
    while (std::getline(lines, line)) {
        bool match = false;
        for (const std::string& prefix : prefixes)
            match = match || _strnicmp(line.c_str(), prefix.c_str(), prefix.size()) == 0;
        kept += match ? "" : line + "\n";
    }
    return kept;
}

// Every key and value of the three roots, each line led by its root's number.
inline std::string Registry() {
    std::string all;
    for (uint32_t root : {kRootClassesRoot, kRootCurrentUser, kRootLocalMachine}) {
        std::istringstream lines(DumpTree(root, ""));
        for (std::string line; std::getline(lines, line);)
            all += std::to_string(root) + line + "\n";
    }
    return all;
}

class BackupFolderTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        m_lock.Reset(CreateMutexA(nullptr, FALSE, "tidewell-tests-backup-folder"));
        const DWORD wait = WaitForSingleObject(m_lock.Get(), 100000);
        m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        ASSERT_TRUE(m_owned) << "backup folder lock";
        ASSERT_FALSE(folder.empty());
        DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    }
    void TearDown() override {
        if (!m_owned) return;
        DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
        ReleaseMutex(m_lock.Get());
    }

    BackupManager manager;
    const std::string folder = manager.GetBackupFolder();

private:
    KernelHandle m_lock;
    bool m_owned = false;
};
