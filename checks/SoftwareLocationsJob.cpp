#include "checks/SoftwareLocationsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

namespace {
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kMuiCacheKey[] = "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
} // namespace

SoftwareLocationsJob::SoftwareLocationsJob() {
    name = "软件位置";
    description = "检查软件位置。";
    iconId = IDI_JOB_LOCATIONS;
}

void SoftwareLocationsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;

    auto gone = [&](const char* path) { return IsMissingFixedPath(path, drives); };
    auto testAppPath = [&](const KeyView& view, const char* subkey, const EntryText& text) {
        if (!text.GoneForAll(gone)) return;
        Report(status, items,
               {kRootLocalMachine, view.path.c_str(), subkey, "值无效。",
                "HKEY_LOCAL_MACHINE\\" + view.path + "\\" + subkey,
                std::string("(Default) = ") + text.text, kKindKey});
    };
    WalkSubkeys(kRootLocalMachine, kAppPathsKey, {nullptr, nullptr, nullptr}, testAppPath);

    if (status->stopRequested) return;

    // MUICache names its values after the programs.
    auto testCache = [&](const KeyView& view, const char* valueName, const EntryText& text) {
        if (!gone(valueName)) return;
        Report(status, items,
               {kRootCurrentUser, view.path.c_str(), valueName, "值无效。",
                "HKEY_CURRENT_USER\\" + view.path, std::string(valueName) + " = " + text.text,
                kKindValue});
    };
    WalkValues(kRootCurrentUser, kMuiCacheKey, ValueRead::StoredText, testCache);
}

} // namespace velk
