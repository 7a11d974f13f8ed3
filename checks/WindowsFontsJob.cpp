#include "checks/WindowsFontsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <windows.h>

#include <cstdio>

namespace velk {

namespace {

// A bare file name lies in the fonts folder; false when that cannot be told or the
// joined path would not fit.
bool FontsFolderPath(const char* fileName, char (&path)[kRegTextSize]) {
    UINT length = GetWindowsDirectoryA(path, kRegTextSize);
    if (length == 0 || length >= kRegTextSize) return false;
    if (EndsWithBackslash(path)) path[--length] = 0;
    int added = std::snprintf(path + length, kRegTextSize - length, "\\FONTS\\%s", fileName);
    return added >= 0 && static_cast<size_t>(added) < kRegTextSize - length;
}

} // namespace

WindowsFontsJob::WindowsFontsJob() {
    name = "Windows 字体";
    description = "扫描在 Windows 字体中的旧记录。";
    iconId = IDI_JOB_FONTS;
}

void WindowsFontsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    char joined[kRegTextSize];
    auto gone = [&](const char* text) {
        // Anything that looks like a path is taken as one, so a font on a CD or a
        // network drive is left alone rather than looked for in the fonts folder.
        if (StartsWithDrivePrefix(text) || text[0] == '\\') return IsMissingFixedPath(text, drives);
        return FontsFolderPath(text, joined) && IsMissingFixedPath(joined, drives);
    };
    // One user's fonts (Windows 10 1809 on) are full paths under his profile; where
    // Windows looks for a bare name there is not documented, so only paths are judged.
    auto userGone = [&](const char* text) {
        return StartsWithDrivePrefix(text) && IsMissingFixedPath(text, drives);
    };
    for (PlaceId pass : {kFontsPlace, kUserFontsPlace}) {
        if (pass != kFontsPlace && status->stopRequested) return;
        const Place& place = kPlaces[pass];
        auto test = [&](const KeyView& view, const char* fontName, const EntryText& text) {
            if (!(pass == kFontsPlace ? text.GoneForAll(gone) : text.GoneForAll(userGone))) return;
            Report(status, items, place, view, fontName, "字体项目无效",
                   std::string(fontName) + " = " + text.text);
        };
        WalkValues(place, ValueRead::Text, test);
    }
}

} // namespace velk
