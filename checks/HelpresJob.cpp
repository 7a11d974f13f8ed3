#include "checks/HelpresJob.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <cstdio>

namespace velk {

namespace {
const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
} // namespace

HelpresJob::HelpresJob() {
    name = "帮助和资源";
    description = "在你的系统中执行基本的帮助和资源检查。";
    iconId = IDI_JOB_HELP;
}

void HelpresJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    char filePath[kRegTextSize];

    // Each value names a help file; its data is the folder the file lies in.
    auto separatorAfter = [](const char* folder) {
        return folder[0] && !EndsWithBackslash(folder) ? "\\" : "";
    };
    auto test = [&](const KeyView& view, const char* fileName, const EntryText& folder) {
        auto gone = [&](const char* in) {
            int length = std::snprintf(filePath, sizeof filePath, "%s%s%s", in, separatorAfter(in),
                                       fileName);
            // A path that does not fit is not judged.
            return length >= 0 && static_cast<size_t>(length) < sizeof filePath &&
                   IsMissingFixedPath(filePath, drives);
        };
        if (!folder.GoneForAll(gone)) return;
        Report(status, items,
               {kRootLocalMachine, view.path.c_str(), fileName,
                std::string("帮助文件 ") + fileName + " 不存在", "HKEY_LOCAL_MACHINE\\" + view.path,
                std::string(fileName) + " = " + folder.text + separatorAfter(folder.text),
                kKindValue});
    };

    for (const char* pass : {kHelpKey, kHtmlHelpKey}) {
        if (status->stopRequested) return;
        WalkValues(kRootLocalMachine, pass, ValueRead::Text, test);
    }
}

} // namespace velk
