#include "checks/AddRemProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/ParsedCommandLine.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kInvalidEntry[] = "添加/删除 项目无效。";
} // namespace

AddRemProgsJob::AddRemProgsJob() {
    name = "添加/删除 程序";
    description = "可以使用强大的 Velk Clearway 技术进行无效程序项目搜索。";
    iconId = IDI_JOB_ADDREMOVE;
}

void AddRemProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    auto testUninstall = [&](const KeyView& view, const char* subkey, const EntryText& command) {
        if (!command.GoneForAll(CommandLineTargetMissing)) return;
        Report(status, items,
               {kRootLocalMachine, view.path.c_str(), subkey, kInvalidEntry, view.path,
                std::string(subkey) + " = " + command.text, kKindKey});
    };
    WalkSubkeys(kRootLocalMachine, kUninstallKey, {nullptr, L"UninstallString", status},
                testUninstall);

    if (status->stopRequested) return;

    DriveTypeCache drives;
    auto testFolder = [&](const KeyView& view, const char* folder, const EntryText&) {
        if (!IsMissingFixedPath(folder, drives)) return;
        Report(status, items,
               {kRootLocalMachine, view.path.c_str(), folder, kInvalidEntry, view.path, folder,
                kKindValue});
    };
    WalkValues(kRootLocalMachine, kFoldersKey, ValueRead::NameOnly, testFolder);
}

} // namespace velk
