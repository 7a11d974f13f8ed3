#include "checks/SoftwareLocationsJob.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/PathRules.h"
#include "resources/ResourceIds.h"

#include <cstring>

namespace velk {

namespace {

const char kInvalid[] = "值无效。";

// Since Vista the cache names its values after a program's path and what it holds of it.
const char* const kMuiCacheEndings[] = {".FriendlyAppName", ".ApplicationCompany"};

// The length of the path a cache value's name holds; 0 when it holds none. A '.' is
// never the second byte of a code page 936 character, so the ending starts one.
size_t MuiCachePathLength(const char* valueName) {
    const size_t length = std::strlen(valueName);
    for (const char* ending : kMuiCacheEndings) {
        const size_t size = std::strlen(ending);
        if (length > size && StartsWithNoCase(valueName + length - size, ending))
            return length - size;
    }
    return 0;
}

} // namespace

SoftwareLocationsJob::SoftwareLocationsJob() {
    name = "软件位置";
    description = "检查软件位置。";
    iconId = IDI_JOB_LOCATIONS;
}

void SoftwareLocationsJob::Scan(ScanStatus* status, ProblemList* items) {
    DriveTypeCache drives;
    auto gone = [&](const char* path) { return IsMissingFixedPath(path, drives); };
    for (PlaceId pass : {kAppPathsPlace, kMuiCachePlace, kUserAppPathsPlace, kUserMuiCachePlace,
                         kCompatStorePlace, kUserLayersPlace, kLayersPlace}) {
        if (pass != kAppPathsPlace && status->stopRequested) return;
        const Place& place = kPlaces[pass];
        if (place.kind == kKindKey) {
            auto test = [&](const KeyView& view, const char* subkey, const EntryText& text) {
                if (text.GoneForAll(gone))
                    Report(status, items, place, view, subkey, kInvalid,
                           std::string("(Default) = ") + text.text);
            };
            WalkSubkeys(place, {nullptr, nullptr, nullptr}, test);
        } else if (pass == kMuiCachePlace || pass == kUserMuiCachePlace) {
            // XP's cache names its values after the programs, later ones after a program
            // and what it holds of it.
            char path[kRegTextSize];
            auto test = [&](const KeyView& view, const char* valueName, const EntryText& text) {
                const size_t length =
                    pass == kMuiCachePlace ? std::strlen(valueName) : MuiCachePathLength(valueName);
                if (length == 0) return; // "LangID", "@%SystemRoot%\...,-123" and the like
                std::memcpy(path, valueName, length);
                path[length] = 0;
                if (gone(path))
                    Report(status, items, place, view, valueName, kInvalid,
                           std::string(valueName) + " = " + text.text);
            };
            WalkValues(place, ValueRead::StoredText, test);
        } else { // the compatibility records name their values after the programs
            auto test = [&](const KeyView& view, const char* valueName, const EntryText&) {
                if (gone(valueName))
                    Report(status, items, place, view, valueName, kInvalid, valueName);
            };
            WalkValues(place, ValueRead::NameOnly, test);
        }
    }
}

} // namespace velk
