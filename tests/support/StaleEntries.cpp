#include "support/StaleEntries.h"

#include "engine/Handles.h"
#include "engine/ProblemItem.h"
#include "support/RegistrySandbox.h"

#include <cstdio>
#include <string>

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kShared[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
} // namespace

std::map<int32_t, int> PlantStaleEntries(const TestFolder& files) {
    const std::string present = files.MakeFile("present.exe");
    bool ok = PutString(kRootCurrentUser, kShellFolders, "Personal", files.Path("gone-folder")) &&
              PutString(kRootCurrentUser, kShellFolders, "Desktop", files.MakeDir("desktop")) &&
              PutDword(kRootLocalMachine, kShared, files.Path("gone.dll"), 1) &&
              PutDword(kRootLocalMachine, kShared, present, 1) &&
              PutString(kRootLocalMachine, kRun, "GoneOne", files.Path("gone1.exe")) &&
              PutString(kRootLocalMachine, kRun, "GoneTwo", files.Path("gone2.exe") + " /x") &&
              PutString(kRootLocalMachine, kRun, "Present", present);
    if (!ok) return {};
    return {{1, 1}, {6, 1}, {7, 2}};
}

bool PlantManyStaleClasses(const TestFolder& files, int count) {
    RegKey clsid;
    if (!clsid.Create(HKEY_CLASSES_ROOT, "CLSID", KEY_ALL_ACCESS)) return false;
    const std::string gone = files.Path("gone-server.dll");
    for (int i = 0; i < count; ++i) {
        char path[96];
        std::snprintf(path, sizeof path, "{%08X-0000-0000-0000-000000000000}\\InprocServer32", i);
        RegKey server;
        if (!server.Create(clsid.Get(), path, KEY_ALL_ACCESS) ||
            RegSetValueExA(server.Get(), nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(gone.c_str()),
                           static_cast<DWORD>(gone.size() + 1)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

bool PlantManyStaleStartupValues(const TestFolder& files, int count) {
    RegKey run;
    if (!run.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS)) return false;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "many%06d", i);
        const std::string gone = files.Path("gone-many\\") + name + ".exe";
        if (RegSetValueExA(run.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(gone.c_str()),
                           static_cast<DWORD>(gone.size() + 1)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}
