#include "checks/AddRemProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/ParsedCommandLine.h"
#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <cwchar>

namespace velk {

namespace {

const char kInvalidEntry[] = "添加/删除 项目无效。";

// A registration whose program folder is still on a fixed disk belongs to an installed
// program, even when its uninstaller is gone: deleting it would hide the program from
// the list of installed ones. A folder that cannot be read or told counts as there.
bool InstallFolderGone(const KeyView& view, const char* subkey, DriveTypeCache& drives) {
    RegKey key;
    wchar_t data[kRegTextSize + 1] = {};
    DWORD type = REG_NONE, size = kRegTextSize * sizeof(wchar_t);
    char folder[kRegTextSize];
    if (!key.Open(view.root, (view.path + "\\" + subkey).c_str(), KEY_QUERY_VALUE)) return false;
    const LONG read = RegQueryValueExW(key.Get(), L"InstallLocation", nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
    if (read == ERROR_FILE_NOT_FOUND) return true;
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    wchar_t expanded[kRegTextSize];
    const DWORD length = ExpandEnvironmentStringsW(data, expanded, kRegTextSize);
    if (length == 0 || length > kRegTextSize ||
        !ToExactGbk(expanded, std::wcslen(expanded), folder, sizeof folder))
        return false;
    return !IsFixedDrivePath(folder, drives) || !PathExists(folder);
}

} // namespace

AddRemProgsJob::AddRemProgsJob() {
    name = "添加/删除 程序";
    description = "可以使用强大的 Velk Clearway 技术进行无效程序项目搜索。";
    iconId = IDI_JOB_ADDREMOVE;
}

void AddRemProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    // The machine's registrations, then those of programs one user installed.
    for (PlaceId pass : {kUninstallPlace, kUserUninstallPlace}) {
        if (pass != kUninstallPlace && status->stopRequested) return;
        const Place& uninstall = kPlaces[pass];
        auto test = [&](const KeyView& view, const char* subkey, const EntryText& command) {
            if (!command.GoneForAll(CommandLineTargetMissing) ||
                !InstallFolderGone(view, subkey, drives))
                return;
            Report(status, items, uninstall, view, subkey, kInvalidEntry,
                   std::string(subkey) + " = " + command.text);
        };
        WalkSubkeys(uninstall, {nullptr, L"UninstallString", status}, test);
    }

    if (status->stopRequested) return;

    const Place& folders = kPlaces[kInstallerFoldersPlace];
    auto testFolder = [&](const KeyView& view, const char* folder, const EntryText&) {
        if (!IsMissingFixedPath(folder, drives)) return;
        Report(status, items, folders, view, folder, kInvalidEntry, folder);
    };
    WalkValues(folders, ValueRead::NameOnly, testFolder);
}

} // namespace velk
