// The registry places the checks read, each written once, in one row: the scan walks
// them, and a restore writes back only what a check could have found in one of them.
#pragma once

#include "engine/ProblemItem.h"

#include <cstdint>
#include <string>

// One copy of a place's key. 64-bit Windows keeps a second copy of HKLM\SOFTWARE and
// of HKEY_CLASSES_ROOT for 32-bit programs, reached here by its Wow6432Node path.
struct KeyView {
    uint32_t root;
    std::string path;
};

enum class Views {
    Native,
    NativeAnd32Bit, // the 32-bit copy too, where Windows keeps one
};

// How a card names where an item was found.
enum class Location {
    Path,          // the key path alone
    RootPath,      // the root's name and the key path
    RootPathName,  // ... and the subkey found
    RootPathServer // ... the class found and its InprocServer32 key
};

struct Place {
    uint32_t root;
    const char* path;
    // kKindValue: a check reports values of this key; kKindKey: subkeys of it.
    int32_t kind;
    Views views;
    Location location;

    // The literal path of the 32-bit copy the check reads too; empty when none.
    std::string PathFor32Bit() const;
    // The location text of an entry a check finds in this place.
    std::string LocationOf(const KeyView& view, const std::string& name) const;
};

enum PlaceId {
    kShellFoldersPlace,
    kClassesPlace,
    kAppPathsPlace,
    kMuiCachePlace,
    kFontsPlace,
    kHelpPlace,
    kHtmlHelpPlace,
    kSharedDllsPlace,
    kRunPlace,
    kUninstallPlace,
    kInstallerFoldersPlace,
    // Where today's Windows keeps what one user installed or ran.
    kUserRunPlace,
    kUserAppPathsPlace,
    kUserMuiCachePlace,
    kCompatStorePlace,
    kUserLayersPlace,
    kLayersPlace,
    kUserUninstallPlace,
    kUserFontsPlace,
    kPlaceCount
};

// clang-format off
inline constexpr Place kPlaces[kPlaceCount] = {
    {kRootCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", kKindValue, Views::Native, Location::RootPath},
    {kRootClassesRoot, "CLSID", kKindKey, Views::NativeAnd32Bit, Location::RootPathServer},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", kKindKey, Views::NativeAnd32Bit, Location::RootPathName},
    {kRootCurrentUser, "SOFTWARE\\Microsoft\\Windows\\ShellNoRoam\\MUICache", kKindValue, Views::Native, Location::RootPath},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", kKindValue, Views::NativeAnd32Bit, Location::RootPath},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", kKindValue, Views::NativeAnd32Bit, Location::RootPath},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\HTML Help", kKindValue, Views::NativeAnd32Bit, Location::RootPath},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", kKindValue, Views::NativeAnd32Bit, Location::Path},
    {kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKindValue, Views::NativeAnd32Bit, Location::Path},
    {kRootLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", kKindKey, Views::NativeAnd32Bit, Location::Path},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders", kKindValue, Views::NativeAnd32Bit, Location::Path},
    {kRootCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", kKindValue, Views::Native, Location::RootPath},
    {kRootCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", kKindKey, Views::Native, Location::RootPathName},
    {kRootCurrentUser, "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache", kKindValue, Views::Native, Location::RootPath},
    {kRootCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Store", kKindValue, Views::Native, Location::RootPath},
    {kRootCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", kKindValue, Views::Native, Location::RootPath},
    {kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers", kKindValue, Views::NativeAnd32Bit, Location::RootPath},
    {kRootCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", kKindKey, Views::Native, Location::RootPath},
    {kRootCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", kKindValue, Views::Native, Location::RootPath},
};
// clang-format on

// Whether a check of this program could have reported the item: a value directly in a
// place of values, or a subkey directly under a place of keys, in a view its check
// reads, with the location text the check makes. Paths compare without regard to
// ASCII case, HKLM\SOFTWARE\Classes\X is HKEY_CLASSES_ROOT\X, and nothing else is
// interpreted. Anything else a backup holds is never written.
bool IsPlaceItem(const ProblemItem& item);
