#include "checks/SoftwareLocationsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

SoftwareLocationsJob::SoftwareLocationsJob() {
    name = "软件位置";
    description = "检查软件位置。";
    iconId = IDI_JOB_LOCATIONS;
}

void SoftwareLocationsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;

    auto gone = [&](const char* path) { return IsMissingFixedPath(path, drives); };
    const Place& appPaths = kPlaces[kAppPathsPlace];
    auto testAppPath = [&](const KeyView& view, const char* subkey, const EntryText& text) {
        if (!text.GoneForAll(gone)) return;
        Report(status, items,
               {view.root, view.path.c_str(), subkey, "值无效。", appPaths.LocationOf(view, subkey),
                std::string("(Default) = ") + text.text, appPaths.kind});
    };
    WalkSubkeys(appPaths, {nullptr, nullptr, nullptr}, testAppPath);

    if (status->stopRequested) return;

    // MUICache names its values after the programs.
    const Place& cache = kPlaces[kMuiCachePlace];
    auto testCache = [&](const KeyView& view, const char* valueName, const EntryText& text) {
        if (!gone(valueName)) return;
        Report(status, items,
               {view.root, view.path.c_str(), valueName, "值无效。",
                cache.LocationOf(view, valueName), std::string(valueName) + " = " + text.text,
                cache.kind});
    };
    WalkValues(cache, ValueRead::StoredText, testCache);
}

} // namespace velk
