// The full scan of the nine jobs against a baseline that does only the work no scan
// can avoid over the same keys: the same enumerations and queries, one
// GetFileAttributesA per tested path and one GetDriveTypeA per drive letter.
#include "engine/Handles.h"
#include "engine/JobEnumerator.h"
#include "support/RegistrySandbox.h"
#include "support/TestFolder.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// The native keys and their 32-bit copies, which the sandbox keeps as plain keys.
struct Keys {
    const char *classes, *run, *uninstall, *fonts;
};
const Keys kViews[] = {{"CLSID", "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
                       {"Wow6432Node\\CLSID",
                        "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                        "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                        "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"}};

struct Sizes {
    int classes = 50000, run = 10000, uninstall = 10000, fonts = 10000;
};
// One user's keys, which have no 32-bit copy: program name cache pairs and compatibility
// records.
const char kMuiCache[] =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const char kCompatStore[] = "Software\\Microsoft\\Windows "
                            "NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Store";
const char* const kEndings[] = {".FriendlyAppName", ".ApplicationCompany"};
int g_userEntries = 5000;

void SetText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

// Half of every area names a file that is there, half one that is gone; the sizes are
// for one copy of the keys.
void Plant(const Keys& keys, const Sizes& n, const TestFolder& files, const std::string& fontFile) {
    std::string present = files.MakeFile("present.dll");
    std::string presentExe = files.MakeFile("app.exe");
    std::string presentLog = files.MakeFile("install.log");
    char buf[256];
    RegKey clsid;
    clsid.Create(HKEY_CLASSES_ROOT, keys.classes, KEY_ALL_ACCESS);
    for (int i = 0; i < n.classes; ++i) {
        std::snprintf(buf, sizeof buf, "{%08X-0000-0000-0000-%012X}\\InprocServer32", i, i);
        RegKey server;
        server.Create(clsid.Get(), buf, KEY_ALL_ACCESS);
        std::snprintf(buf, sizeof buf, "%sgone\\%d.dll", files.Root().c_str(), i);
        SetText(server.Get(), nullptr, i % 2 ? present : std::string(buf));
    }
    RegKey run;
    run.Create(HKEY_LOCAL_MACHINE, keys.run, KEY_ALL_ACCESS);
    for (int i = 0; i < n.run; ++i) {
        std::snprintf(buf, sizeof buf, "entry%05d", i);
        char data[256];
        std::snprintf(data, sizeof data, "%sgone\\run%d.exe /background", files.Root().c_str(), i);
        SetText(run.Get(), buf, i % 2 ? presentExe + " /background" : std::string(data));
    }
    RegKey uninstall;
    uninstall.Create(HKEY_LOCAL_MACHINE, keys.uninstall, KEY_ALL_ACCESS);
    for (int i = 0; i < n.uninstall; ++i) {
        std::snprintf(buf, sizeof buf, "Product%05d", i);
        RegKey product;
        product.Create(uninstall.Get(), buf, KEY_ALL_ACCESS);
        std::string line;
        switch (i % 4) {
        case 0:
            line = "\"" + files.Root() + "gone\\u" + std::to_string(i) + ".exe\"";
            break;
        case 1:
            line = presentExe + " -f\"" + presentLog + "\"";
            break;
        case 2:
            line = "MsiExec.exe /X{" + std::to_string(i) + "}";
            break;
        default:
            line = presentExe + " -f" + files.Root() + "gone\\u.isu";
            break;
        }
        SetText(product.Get(), "UninstallString", line);
    }
    RegKey fonts;
    fonts.Create(HKEY_LOCAL_MACHINE, keys.fonts, KEY_ALL_ACCESS);
    for (int i = 0; i < n.fonts; ++i) {
        std::snprintf(buf, sizeof buf, "Font %05d (TrueType)", i);
        SetText(fonts.Get(), buf, i % 2 ? fontFile : "gone" + std::to_string(i) + ".ttf");
    }
}

// Half of the programs there, half gone, as everywhere.
void PlantUserKeys(const TestFolder& files) {
    RegKey cache, store;
    cache.Create(HKEY_CURRENT_USER, kMuiCache, KEY_ALL_ACCESS);
    store.Create(HKEY_CURRENT_USER, kCompatStore, KEY_ALL_ACCESS);
    const BYTE record[24] = {};
    for (int i = 0; i < g_userEntries; ++i) {
        const std::string name = "ran\\" + std::to_string(i) + ".exe";
        const std::string program = i % 2 ? files.MakeFile(name) : files.Path("gone\\" + name);
        for (const char* ending : kEndings)
            SetText(cache.Get(), (program + ending).c_str(), "App");
        RegSetValueExA(store.Get(), program.c_str(), 0, REG_BINARY, record, sizeof record);
    }
}

DWORD g_sink = 0; // keeps the baseline's results alive

void BaselineValues(uint32_t root, const char* path,
                    const std::function<void(const char*, const char*)>& test) {
    RegKey key;
    DWORD count = 0;
    if (!key.Open(root, path, KEY_READ) ||
        RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    char name[2048], data[2048];
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &dataLength) == ERROR_SUCCESS)
            test(name, data);
    }
}

void BaselineSubkeys(uint32_t root, const char* path, const char* valueName, bool fromRoot,
                     const std::function<void(const char*, const char*)>& test) {
    RegKey key;
    DWORD count = 0;
    if (!key.Open(root, path, KEY_READ) ||
        RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    char name[2048], data[2048], full[2048];
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = sizeof name;
        FILETIME written;
        if (RegEnumKeyExA(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, &written) !=
            ERROR_SUCCESS)
            continue;
        RegKey sub;
        bool open = fromRoot
                        ? (std::snprintf(full, sizeof full, "%s\\%s\\InprocServer32", path, name),
                           sub.Open(root, full, KEY_READ))
                        : sub.Open(key.Get(), name, KEY_READ);
        DWORD type = 0, dataLength = sizeof data;
        if (open && RegQueryValueExA(sub.Get(), valueName, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &dataLength) == ERROR_SUCCESS)
            test(name, data);
    }
}

void Baseline(const Keys& keys) {
    auto exists = [](const char* path) { g_sink += GetFileAttributesA(path); };
    BaselineSubkeys(kRootClassesRoot, keys.classes, nullptr, true,
                    [&](const char*, const char* path) { exists(path); });
    BaselineValues(kRootLocalMachine, keys.run, [&](const char*, const char* data) {
        // A command that names nothing as a whole is judged by its program.
        if (GetFileAttributesA(data) == INVALID_FILE_ATTRIBUTES) {
            std::string text = data;
            exists(text.substr(0, text.find(' ')).c_str());
        }
    });
    BaselineSubkeys(
        kRootLocalMachine, keys.uninstall, "UninstallString", false,
        [&](const char* name, const char* line) {
            char location[2048];
            // The program a line runs; the quoted and -f data files where named.
            std::string text = line;
            size_t exe = text.find(".exe");
            if (exe == std::string::npos) exe = text.find(".EXE");
            std::string program = text.substr(text[0] == '"', exe + 4 - (text[0] == '"'));
            bool gone = GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES;
            size_t f = text.find("-f");
            if (!gone && f != std::string::npos) {
                std::string file = text.substr(f + 2);
                file.erase(std::remove(file.begin(), file.end(), '"'), file.end());
                gone = GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES;
            }
            // A registration whose targets are gone is stale only when its folder is too.
            RegKey product;
            DWORD size = sizeof location;
            if (gone &&
                product.Open(kRootLocalMachine, (std::string(keys.uninstall) + "\\" + name).c_str(),
                             KEY_QUERY_VALUE))
                g_sink += RegQueryValueExA(product.Get(), "InstallLocation", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(location), &size);
        });
    char windows[2048];
    GetWindowsDirectoryA(windows, sizeof windows);
    BaselineValues(kRootLocalMachine, keys.fonts, [&](const char*, const char* data) {
        std::string path = std::string(windows) + "\\FONTS\\" + data;
        exists(path.c_str());
    });
}

void Baseline() {
    // One drive-type question per letter the planted data uses.
    g_sink += GetDriveTypeA("C:\\");
    for (const Keys& keys : kViews)
        Baseline(keys);
    auto exists = [](const char* path) { g_sink += GetFileAttributesA(path); };
    BaselineValues(kRootCurrentUser, kMuiCache, [&](const char* name, const char*) {
        const std::string text = name;
        exists(text.substr(0, text.rfind('.')).c_str());
    });
    BaselineValues(kRootCurrentUser, kCompatStore,
                   [&](const char* name, const char*) { exists(name); });
}

size_t g_items = 0;

void Scan(const JobEnumerator& jobs) {
    ScanStatus status;
    ProblemList items;
    for (const auto& job : jobs) {
        status.problemCount = 0;
        job->Scan(&status, &items);
    }
    g_items = items.size();
}

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    Sizes n;
    // This machine's speed wanders by tens of per cent between seconds: many alternating
    // rounds, and each side's best, which is what a quiet machine gives.
    int runs = 9;
    if (argc > 1) { // a scale divisor for quick runs
        int divisor = std::max(1, std::atoi(argv[1]));
        n.classes /= divisor, n.run /= divisor, n.uninstall /= divisor, n.fonts /= divisor;
        g_userEntries /= divisor;
    }
    if (argc > 2) runs = std::max(1, std::atoi(argv[2])); // rounds of each side
    RegistrySandbox sandbox;
    if (!sandbox.Active()) {
        std::fprintf(stderr, "registry sandbox could not be set up\n");
        return 1;
    }
    TestFolder files;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string fontFile = "tidewell-bench.ttf";
    const std::string fontPath = std::string(windows) + "\\Fonts\\" + fontFile;
    CloseHandle(
        CreateFileA(fontPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    std::printf("planting %d classes, %d Run values, %d Uninstall keys, %d fonts, %d program name "
                "cache pairs, %d compatibility records...\n",
                n.classes, n.run, n.uninstall, n.fonts, g_userEntries, g_userEntries);
    PlantUserKeys(files);
    // Half in the native keys, half in their 32-bit copies.
    Sizes half{n.classes / 2, n.run / 2, n.uninstall / 2, n.fonts / 2};
    Plant(kViews[0], half, files, fontFile);
    Plant(kViews[1],
          {n.classes - half.classes, n.run - half.run, n.uninstall - half.uninstall,
           n.fonts - half.fonts},
          files, fontFile);
    const double before = PeakWorkingSetMiB();

    JobEnumerator jobs;
    Scan(jobs); // warm the registry and file caches for both sides alike
    Baseline();
    // Alternating rounds, so that a busy machine weighs on both sides alike.
    std::vector<double> scans, baselines;
    for (int i = 0; i < runs; ++i) {
        scans.push_back(Seconds([&] { Scan(jobs); }));
        baselines.push_back(Seconds([] { Baseline(); }));
    }
    const double scan = *std::min_element(scans.begin(), scans.end());
    const double baseline = *std::min_element(baselines.begin(), baselines.end());
    std::printf("scan:     %.3f s best, %.3f s median of %d\n", scan, Median(scans), runs);
    std::printf("baseline: %.3f s best, %.3f s median of %d\n", baseline, Median(baselines), runs);
    std::printf("ratio:    %.3f (target <= 1.10)\n", scan / baseline);
    std::printf("items:    %u\n", static_cast<unsigned>(g_items));
    std::printf("peak working set: %.1f MiB after planting, %.1f MiB after scanning\n", before,
                PeakWorkingSetMiB());
    DeleteFileA(fontPath.c_str());
    return g_sink == 0xFFFFFFFF; // never true; the sink only has to be read
}
