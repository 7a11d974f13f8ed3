// The problem record every check produces and the scan's shared status.
// No windows.h here: the backup decoder builds natively on it too.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Predefined roots as they travel in memory and in backup files.
constexpr uint32_t kRootClassesRoot = 0x80000000u;
constexpr uint32_t kRootCurrentUser = 0x80000001u;
constexpr uint32_t kRootLocalMachine = 0x80000002u;

// Only the three predefined roots name a key; any other number would reach whatever
// handle happens to have that value.
constexpr bool IsKnownRoot(uint32_t root) {
    return root == kRootClassesRoot || root == kRootCurrentUser || root == kRootLocalMachine;
}

// The name a location text gives a root; null for a number that is none.
constexpr const char* RootName(uint32_t root) {
    return root == kRootClassesRoot    ? "HKEY_CLASSES_ROOT"
           : root == kRootCurrentUser  ? "HKEY_CURRENT_USER"
           : root == kRootLocalMachine ? "HKEY_LOCAL_MACHINE"
                                       : nullptr;
}

// The registry nests keys no deeper; a walk deeper than that follows a loop or damage.
constexpr int kMaxKeyDepth = 512;

constexpr int32_t kKindValue = 0;
constexpr int32_t kKindKey = 1;

struct ProblemItem {
    uint32_t rootKey = 0;
    std::string keyPath;
    std::string itemName;
    std::string description;
    std::string locationText;
    std::string dataText;
    int32_t jobId = 0;
    int32_t backupOffset = 0;
    int32_t kind = kKindValue;
    bool selected = true;
    // A backup's record of no shape a check makes: shown, never ticked, never written.
    bool foreign = false;
};

using ProblemList = std::vector<ProblemItem>;

struct ScanStatus {
    int32_t problemCount = 0;
    // Written by the UI thread while the worker reads it.
    std::atomic<bool> stopRequested{false};
};
