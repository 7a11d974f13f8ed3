// Fixture of tests that use the backup folder next to the test executable. ctest runs
// tests in parallel processes that share that folder, so each test holds a named
// mutex of the prefix while it runs, and finds the folder gone when it starts.
#pragma once

#include "backup/BackupManager.h"
#include "engine/Handles.h"
#include "support/SandboxTest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    uint8_t chunk[65536];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

inline bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && (size == 0 ||
                    (WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) &&
                     written == size));
}
inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFileBytes(path, bytes.data(), bytes.size());
}

inline ProblemItem MakeItem(uint32_t root, const std::string& keyPath, const std::string& name,
                            int32_t kind, bool selected = true) {
    ProblemItem item;
    item.rootKey = root;
    item.keyPath = keyPath;
    item.itemName = name;
    item.description = "值无效。";
    item.locationText = keyPath;
    item.dataText = name + " 数据";
    item.jobId = 1 + static_cast<int32_t>(keyPath.size() % 8);
    item.kind = kind;
    item.selected = selected;
    return item;
}

class BackupFolderTest : public SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        if (HasFatalFailure()) return;
        m_lock.Reset(CreateMutexA(nullptr, FALSE, "tidewell-tests-backup-folder"));
        ASSERT_TRUE(m_lock.Valid());
        DWORD wait = WaitForSingleObject(m_lock.Get(), 100000);
        ASSERT_TRUE(wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) << "backup folder lock";
        m_owned = true;
        folder = manager.GetBackupFolder();
        ASSERT_FALSE(folder.empty());
        DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    }
    void TearDown() override {
        if (m_owned) {
            DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
            ReleaseMutex(m_lock.Get());
        }
    }

    BackupManager manager;
    std::string folder;

private:
    KernelHandle m_lock;
    bool m_owned = false;
};
