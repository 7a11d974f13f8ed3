#include "checks/StartupProgsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <cstring>

namespace velk {

StartupProgsJob::StartupProgsJob() {
    name = "启动程序";
    description = "在你的系统执行基本的注册表完整性检查。";
    iconId = IDI_JOB_STARTUP;
}

void StartupProgsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    char program[kRegTextSize];
    auto gone = [&](const char* text) {
        if (!IsMissingFixedPath(text, drives)) return false;
        // A command with arguments names nothing as a whole; what matters is whether
        // the program it runs is still there.
        size_t length = ProgramPathLength(text, Blank::SpaceOrControl);
        if (text[length] == 0) return true;
        std::memcpy(program, text, length);
        program[length] = 0;
        return IsMissingFixedPath(program, drives);
    };
    // The machine's programs, then those one user installed for himself.
    for (PlaceId pass : {kRunPlace, kUserRunPlace}) {
        if (pass != kRunPlace && status->stopRequested) return;
        const Place& place = kPlaces[pass];
        auto test = [&](const KeyView& view, const char* valueName, const EntryText& text) {
            if (!text.GoneForAll(gone)) return;
            Report(status, items, place, view, valueName, "值无效。",
                   std::string(valueName) + " = " + text.text);
        };
        WalkValues(place, ValueRead::Text, test);
    }
}

} // namespace velk
