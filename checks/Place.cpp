#include "checks/Place.h"

#include "engine/GbkText.h"

#include <cstring>

namespace {

const char kSoftware[] = "SOFTWARE\\";
const char kClasses[] = "SOFTWARE\\Classes\\";

// ASCII case only: a place's path is ASCII, and a code page 936 lead byte never
// equals an ASCII one, so a second byte cannot be taken for a letter of it.
bool SamePath(const std::string& path, const std::string& other) {
    return path.size() == other.size() && StartsWithNoCase(path.c_str(), other);
}

// Where Windows merges them, HKLM\SOFTWARE\Classes\X is the key HKEY_CLASSES_ROOT\X.
KeyView Merged(uint32_t root, const std::string& path) {
    if (root == kRootLocalMachine && StartsWithNoCase(path.c_str(), kClasses))
        return {kRootClassesRoot, path.substr(sizeof kClasses - 1)};
    return {root, path};
}

bool InView(const KeyView& record, const KeyView& view) {
    const KeyView merged = Merged(view.root, view.path);
    return record.root == merged.root && SamePath(record.path, merged.path);
}

} // namespace

std::string Place::PathFor32Bit() const {
    if (views != Views::NativeAnd32Bit) return {};
    if (root == kRootClassesRoot) return std::string("Wow6432Node\\") + path;
    const size_t software = sizeof kSoftware - 1;
    if (root == kRootLocalMachine && StartsWithNoCase(path, kSoftware))
        return std::string(path, software) + "Wow6432Node\\" + (path + software);
    return {};
}

std::string Place::LocationOf(const KeyView& view, const std::string& name) const {
    if (location == Location::Path) return view.path;
    const char* rootName = RootName(view.root);
    std::string text = std::string(rootName ? rootName : "") + "\\" + view.path;
    if (location == Location::RootPath) return text;
    text += "\\" + name;
    return location == Location::RootPathServer ? text + "\\InprocServer32" : text;
}

bool IsPlaceItem(const ProblemItem& item) {
    if (!IsKnownRoot(item.rootKey)) return false;
    // A key's own name, one level down: no separator, and not the place itself.
    if (item.kind == kKindKey &&
        (item.itemName.empty() || LastBackslash(item.itemName) != std::string::npos))
        return false;
    const KeyView record = Merged(item.rootKey, item.keyPath);
    for (const Place& place : kPlaces) {
        if (place.kind != item.kind) continue;
        const std::string copy = place.PathFor32Bit();
        if ((InView(record, {place.root, place.path}) ||
             (!copy.empty() && InView(record, {place.root, copy}))) &&
            item.locationText == place.LocationOf({item.rootKey, item.keyPath}, item.itemName))
            return true;
    }
    return false;
}
