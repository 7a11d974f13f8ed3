#include "checks/SharedProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

SharedProgsJob::SharedProgsJob() {
    name = "共享程序";
    description = "在你的系统中查找共享文件。";
    iconId = IDI_JOB_SHARED;
}

void SharedProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    // The value's name is the shared file; its data is only a use count.
    const Place& place = kPlaces[kSharedDllsPlace];
    auto test = [&](const KeyView& view, const char* valueName, const EntryText&) {
        if (!IsMissingFixedPath(valueName, drives)) return;
        Report(status, items, place, view, valueName, "值无效。", valueName);
    };
    WalkValues(place, ValueRead::NameOnly, test);
}

} // namespace velk
