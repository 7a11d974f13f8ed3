#include "checks/SoftwareLocationsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"

#include <utility>

namespace velk {

namespace {
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kMuiCacheKey[] = "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
} // namespace

SoftwareLocationsJob::SoftwareLocationsJob() {
    name = "软件位置";
    description = "检查软件位置。";
    iconId = 118;
}

void SoftwareLocationsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;

    auto testAppPath = [&](const char* subkey, const char* text) {
        if (!IsMissingFixedPath(text, drives)) return;
        ProblemItem item;
        item.rootKey = kRootLocalMachine;
        item.keyPath = kAppPathsKey;
        item.itemName = subkey;
        item.description = "值无效。";
        item.locationText = std::string("HKEY_LOCAL_MACHINE\\") + kAppPathsKey + "\\" + subkey;
        item.dataText = std::string("(Default) = ") + text;
        item.kind = kKindKey;
        Report(status, items, std::move(item));
    };
    WalkSubkeys({kRootLocalMachine, kAppPathsKey, nullptr, nullptr, nullptr}, testAppPath);

    if (status->stopRequested) return;

    // MUICache names its values after the programs.
    auto testCache = [&](const char* valueName, const char* text) {
        if (!IsMissingFixedPath(valueName, drives)) return;
        ProblemItem item;
        item.rootKey = kRootCurrentUser;
        item.keyPath = kMuiCacheKey;
        item.itemName = valueName;
        item.description = "值无效。";
        item.locationText = std::string("HKEY_CURRENT_USER\\") + kMuiCacheKey;
        item.dataText = std::string(valueName) + " = " + text;
        item.kind = kKindValue;
        Report(status, items, std::move(item));
    };
    WalkValues(kRootCurrentUser, kMuiCacheKey, ValueRead::StoredText, testCache);
}

} // namespace velk
