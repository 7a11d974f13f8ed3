#include "checks/AddRemProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/ParsedCommandLine.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

namespace {
const char kInvalidEntry[] = "添加/删除 项目无效。";
} // namespace

AddRemProgsJob::AddRemProgsJob() {
    name = "添加/删除 程序";
    description = "可以使用强大的 Velk Clearway 技术进行无效程序项目搜索。";
    iconId = IDI_JOB_ADDREMOVE;
}

void AddRemProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    const Place& uninstall = kPlaces[kUninstallPlace];
    auto testUninstall = [&](const KeyView& view, const char* subkey, const EntryText& command) {
        if (!command.GoneForAll(CommandLineTargetMissing)) return;
        Report(status, items,
               {view.root, view.path.c_str(), subkey, kInvalidEntry,
                uninstall.LocationOf(view, subkey), std::string(subkey) + " = " + command.text,
                uninstall.kind});
    };
    WalkSubkeys(uninstall, {nullptr, L"UninstallString", status}, testUninstall);

    if (status->stopRequested) return;

    DriveTypeCache drives;
    const Place& folders = kPlaces[kInstallerFoldersPlace];
    auto testFolder = [&](const KeyView& view, const char* folder, const EntryText&) {
        if (!IsMissingFixedPath(folder, drives)) return;
        Report(status, items,
               {view.root, view.path.c_str(), folder, kInvalidEntry,
                folders.LocationOf(view, folder), folder, folders.kind});
    };
    WalkValues(folders, ValueRead::NameOnly, testFolder);
}

} // namespace velk
