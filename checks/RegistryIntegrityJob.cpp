#include "checks/RegistryIntegrityJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

namespace {
const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

RegistryIntegrityJob::RegistryIntegrityJob() {
    name = "注册表完整性";
    description = "在你的系统执行基本的注册表完整性检查。";
    iconId = IDI_JOB_INTEGRITY;
}

void RegistryIntegrityJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    auto gone = [&](const char* folder) { return IsMissingFixedPath(folder, drives); };
    auto test = [&](const KeyView& view, const char* folderName, const EntryText& folder) {
        if (!folder.GoneForAll(gone)) return;
        Report(status, items,
               {kRootCurrentUser, view.path.c_str(), folderName, "值无效。",
                "HKEY_CURRENT_USER\\" + view.path, std::string(folderName) + " = " + folder.text,
                kKindValue});
    };
    WalkValues(kRootCurrentUser, kShellFoldersKey, ValueRead::Text, test);
}

} // namespace velk
