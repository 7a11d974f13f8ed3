#include "checks/HelpresJob.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <cstdio>

namespace velk {

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
    const Place* place = nullptr;
    auto test = [&](const KeyView& view, const char* fileName, const EntryText& folder) {
        auto gone = [&](const char* in) {
            int length = std::snprintf(filePath, sizeof filePath, "%s%s%s", in, separatorAfter(in),
                                       fileName);
            // A path that does not fit is not judged.
            return length >= 0 && static_cast<size_t>(length) < sizeof filePath &&
                   IsMissingFixedPath(filePath, drives);
        };
        if (!folder.GoneForAll(gone)) return;
        Report(status, items, *place, view, fileName,
               std::string("帮助文件 ") + fileName + " 不存在",
               std::string(fileName) + " = " + folder.text + separatorAfter(folder.text));
    };

    for (PlaceId pass : {kHelpPlace, kHtmlHelpPlace}) {
        if (status->stopRequested) return;
        place = &kPlaces[pass];
        WalkValues(*place, ValueRead::Text, test);
    }
}

} // namespace velk
