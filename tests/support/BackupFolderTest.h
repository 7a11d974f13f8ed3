// Fixture of tests that use the backup folder next to the test executable. ctest runs
// tests in parallel processes that share it: each holds a named mutex while it runs.
#pragma once

#include "backup/BackupManager.h"
#include "engine/Handles.h"
#include "support/SandboxTest.h"

#include <sstream>

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0));
    std::vector<uint8_t> bytes(file ? GetFileSize(file.Get(), nullptr) : 0);
    DWORD got = 0;
    ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

inline bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0));
    DWORD written = 0;
    return file && (size == 0 || (WriteFile(file.Get(), data, DWORD(size), &written, nullptr) &&
                                  written == size));
}
inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFileBytes(path, bytes.data(), bytes.size());
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
