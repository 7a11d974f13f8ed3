#include "checks/CustomControlsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

namespace velk {

namespace {
const char kServerFormat[] = "%s\\InprocServer32";
} // namespace

CustomControlsJob::CustomControlsJob() {
    name = "自定义控制器";
    description = "扫描到在你的系统中一个无效的控制器。";
    iconId = IDI_JOB_CONTROLS;
}

void CustomControlsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    char serverKey[kRegTextSize];
    auto gone = [&](const char* server) { return IsMissingFixedPath(server, drives); };
    const Place& classes = kPlaces[kClassesPlace];
    auto test = [&](const KeyView& view, const char* classId, const EntryText& server) {
        if (!server.GoneForAll(gone)) return;
        if (!FormatKeyPath(serverKey, kServerFormat, classId)) return;
        Report(status, items, classes, view, classId, "自定义控制器无效。",
               std::string("(Default) = ") + server.text);
    };
    WalkSubkeys(classes, {L"InprocServer32", nullptr, status}, test);
}

} // namespace velk
