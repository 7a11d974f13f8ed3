#include "checks/RegistryIntegrityJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

RegistryIntegrityJob::RegistryIntegrityJob() {
    name = "注册表完整性";
    description = "在你的系统执行基本的注册表完整性检查。";
    iconId = IDI_JOB_INTEGRITY;
}

void RegistryIntegrityJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    auto gone = [&](const char* folder) { return IsMissingFixedPath(folder, drives); };
    const Place& place = kPlaces[kShellFoldersPlace];
    auto test = [&](const KeyView& view, const char* folderName, const EntryText& folder) {
        if (!folder.GoneForAll(gone)) return;
        Report(status, items, place, view, folderName, "值无效。",
               std::string(folderName) + " = " + folder.text);
    };
    WalkValues(place, ValueRead::Text, test);
}

} // namespace velk
