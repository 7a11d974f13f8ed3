#include "checks/SharedProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"

#include <utility>

namespace velk {

namespace {
const char kSharedKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
}

SharedProgsJob::SharedProgsJob() {
    name = "共享程序";
    description = "在你的系统中查找共享文件。";
    iconId = 120;
}

void SharedProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    // The value's name is the shared file; its data is only a use count.
    auto test = [&](const char* valueName, const char*) {
        if (!IsMissingFixedPath(valueName, drives)) return;
        ProblemItem item;
        item.rootKey = kRootLocalMachine;
        item.keyPath = kSharedKey;
        item.itemName = valueName;
        item.description = "值无效。";
        item.locationText = kSharedKey;
        item.dataText = valueName;
        item.kind = kKindValue;
        Report(status, items, std::move(item));
    };
    WalkValues(kRootLocalMachine, kSharedKey, ValueRead::NameOnly, test);
}

} // namespace velk
