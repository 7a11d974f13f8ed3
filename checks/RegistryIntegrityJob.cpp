#include "checks/RegistryIntegrityJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"

#include <utility>

namespace velk {

namespace {
const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

RegistryIntegrityJob::RegistryIntegrityJob() {
    name = "注册表完整性";
    description = "在你的系统执行基本的注册表完整性检查。";
    iconId = 116;
}

void RegistryIntegrityJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    auto test = [&](const char* folderName, const char* folder) {
        if (!IsMissingFixedPath(folder, drives)) return;
        ProblemItem item;
        item.rootKey = kRootCurrentUser;
        item.keyPath = kShellFoldersKey;
        item.itemName = folderName;
        item.description = "值无效。";
        item.locationText = std::string("HKEY_CURRENT_USER\\") + kShellFoldersKey;
        item.dataText = std::string(folderName) + " = " + folder;
        item.kind = kKindValue;
        Report(status, items, std::move(item));
    };
    WalkValues(kRootCurrentUser, kShellFoldersKey, ValueRead::Text, test);
}

} // namespace velk
