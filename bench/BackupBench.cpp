// Backup, delete and restore of (a) one key item holding 100,000 values and (b) 20,000
// value items, against the registry calls they cannot avoid and against Wine's own
// `reg export` / `reg import` of the same key. Prints medians and ratios; asserts nothing.
// Usage: BackupBench [runs]   (default 3)
#include "backup/BackupManager.h"
#include "engine/Handles.h"
#include "engine/RegistryRepairer.h"
#include "support/RegistrySandbox.h"
#include "support/TestFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Where a check finds what the fix takes and a restore puts back: a subkey of the
// Uninstall key, values of the Run key.
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const int kBigValues = 100000;
const int kItemKeys = 1, kItemsPerKey = 20000;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Ratios of times taken next to each other in the same run, so that a machine whose
// load drifts between runs moves both.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size(); ++i)
        ratios.push_back(a[i] / b[i]);
    std::sort(ratios.begin(), ratios.end());
    return ratios;
}

struct Entry {
    std::string name, data;
};

std::vector<Entry> MakeEntries(int count, const char* format) {
    std::vector<Entry> entries(count);
    char text[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, format, i);
        entries[i].name = text;
        entries[i].data = std::string("C:\\Program Files\\") + text + "\\app.exe";
    }
    return entries;
}

// The restore's unavoidable part: one RegSetValueExA per value into an open key.
double SetLoop(const std::string& path, const std::vector<Entry>& entries) {
    RegKey key;
    if (!key.Create(kRootLocalMachine, path.c_str(), KEY_WRITE)) std::abort();
    double start = Now();
    for (const Entry& e : entries)
        RegSetValueExA(key.Get(), e.name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(e.data.c_str()), DWORD(e.data.size() + 1));
    return Now() - start;
}

// The backup's unavoidable part: one RegEnumValueA per value, name and data.
double EnumLoop(const std::string& path) {
    RegKey key;
    DWORD values = 0, maxName = 0, maxData = 0;
    if (!key.Open(kRootLocalMachine, path.c_str(), KEY_READ)) std::abort();
    double start = Now();
    RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                     &maxName, &maxData, nullptr, nullptr);
    std::vector<char> name(2 * maxName + 16);
    std::vector<BYTE> data(maxData + 16);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = DWORD(name.size()), dataLength = DWORD(data.size()), type = 0;
        RegEnumValueA(key.Get(), i, name.data(), &nameLength, nullptr, &type, data.data(),
                      &dataLength);
    }
    return Now() - start;
}

DWORD ValueCount(const std::string& path) {
    RegKey key;
    DWORD values = 0;
    if (!key.Open(kRootLocalMachine, path.c_str(), KEY_READ) ||
        RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return values;
}

// reg.exe runs in its own process, which the sandbox's override does not reach: it is
// given the sandbox's real path under HKEY_CURRENT_USER.
double RunReg(const std::string& arguments) {
    std::string line = "reg.exe " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    FileHandle nul(
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul.Get();
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        throw std::runtime_error("cannot start " + line);
    KernelHandle thread(process.hThread), child(process.hProcess);
    WaitForSingleObject(child.Get(), INFINITE);
    double elapsed = Now() - start;
    DWORD code = 1;
    GetExitCodeProcess(child.Get(), &code);
    if (code != 0) throw std::runtime_error(line + " failed with " + std::to_string(code));
    return elapsed;
}

bool RestoreFile(const BackupManager& manager, const std::string& name) {
    ProblemList items;
    if (!manager.ReadBackup(name, items)) return false;
    FileHandle file(CreateFileA((manager.GetBackupFolder() + name).c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    return manager.RestoreItems(file.Get(), items);
}

// Thrown, so that the sandbox and the files go whatever fails.
void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

void Line(const char* what, const std::vector<double>& times) {
    std::printf("  %-28s %7.3f s\n", what, Median(times));
}

void Line(const char* what, const std::vector<double>& times, const char* base,
          const std::vector<double>& baseTimes, const char* target = "") {
    std::vector<double> ratios = Ratios(times, baseTimes);
    std::printf("  %-28s %7.3f s  %6.3f x %s (runs %.3f to %.3f) %s\n", what, Median(times),
                Median(ratios), base, ratios.front(), ratios.back(), target);
}

void Run(int runs, const std::string& scratch) {
    BackupManager manager;
    const std::string folder = manager.GetBackupFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string big = std::string(kUninstall) + "\\TidewellBench";
    const std::string realBig = "HKCU\\" + scratch + "\\HKLM\\" + big;
    const std::string regFile = folder + "bench.reg";
    const std::vector<Entry> bigEntries = MakeEntries(kBigValues, "value%06d");
    const std::vector<Entry> itemEntries = MakeEntries(kItemsPerKey, "item%05d");
    RegistryRepairer repairer;

    ProblemList bigItem;
    bigItem.push_back(ProblemItem());
    bigItem[0].rootKey = kRootLocalMachine;
    bigItem[0].keyPath = kUninstall;
    bigItem[0].locationText = kUninstall;
    bigItem[0].itemName = "TidewellBench";
    bigItem[0].kind = kKindKey;
    ProblemList valueItems;
    for (int k = 0; k < kItemKeys; ++k)
        for (const Entry& e : itemEntries) {
            ProblemItem item;
            item.rootKey = kRootLocalMachine;
            item.keyPath = kRun;
            item.itemName = e.name;
            item.locationText = item.keyPath;
            item.dataText = e.name + " " + e.data;
            item.description = "值无效。";
            item.jobId = 1;
            valueItems.push_back(item);
        }

    std::printf("tidewell backup benchmark, %d runs, medians\n", runs);
    SetLoop(big, bigEntries);
    std::vector<double> enumA, backupA, exportA, deleteA, setA, restoreA, importA;
    std::vector<double> setB, queryB, backupB, deleteB, restoreB;
    for (int run = 0; run < runs; ++run) {
        // (a) one key item of 100,000 values
        enumA.push_back(EnumLoop(big));
        double t = Now();
        Check(manager.CreateBackup("bench-a.backup2", bigItem), "backup (a)");
        backupA.push_back(Now() - t);
        exportA.push_back(RunReg("export \"" + realBig + "\" \"" + regFile + "\" /y"));
        t = Now();
        Check(repairer.DeleteSelectedItems(bigItem), "delete (a)");
        deleteA.push_back(Now() - t);
        t = Now();
        Check(RestoreFile(manager, "bench-a.backup2"), "restore (a)");
        restoreA.push_back(Now() - t);
        Check(ValueCount(big) == kBigValues, "restored value count (a)");
        RemoveTree(kRootLocalMachine, big);
        setA.push_back(SetLoop(big, bigEntries));
        RemoveTree(kRootLocalMachine, big);
        Check(!KeyExists(kRootLocalMachine, big), "delete before import");
        importA.push_back(RunReg("import \"" + regFile + "\""));
        Check(ValueCount(big) == kBigValues, "imported value count");
        DeleteFileA((folder + "bench-a.backup2").c_str());
        DeleteFileA(regFile.c_str());

        // (b) 20,000 value items of the Run key
        double set = 0;
        for (int k = 0; k < kItemKeys; ++k)
            set += SetLoop(valueItems[size_t(k) * kItemsPerKey].keyPath, itemEntries);
        setB.push_back(set);
        double query = 0;
        for (int k = 0; k < kItemKeys; ++k) {
            RegKey key;
            key.Open(kRootLocalMachine, valueItems[size_t(k) * kItemsPerKey].keyPath.c_str(),
                     KEY_READ);
            std::vector<BYTE> data(256);
            t = Now();
            for (const Entry& e : itemEntries) {
                DWORD size = DWORD(data.size()), type = 0;
                RegQueryValueExA(key.Get(), e.name.c_str(), nullptr, &type, data.data(), &size);
            }
            query += Now() - t;
        }
        queryB.push_back(query);
        t = Now();
        Check(manager.CreateBackup("bench-b.backup2", valueItems), "backup (b)");
        backupB.push_back(Now() - t);
        t = Now();
        Check(repairer.DeleteSelectedItems(valueItems), "delete (b)");
        deleteB.push_back(Now() - t);
        t = Now();
        Check(RestoreFile(manager, "bench-b.backup2"), "restore (b)");
        restoreB.push_back(Now() - t);
        Check(ValueCount(valueItems.back().keyPath) == kItemsPerKey, "restored values (b)");
        DeleteFileA((folder + "bench-b.backup2").c_str());
        std::printf("  run %d done\n", run + 1);
    }

    std::printf("(a) one key item of %d values (ratios: median of the runs' own ratios)\n",
                kBigValues);
    Line("bare RegEnumValueA loop", enumA);
    Line("CreateBackup", backupA, "the enumeration loop", enumA, "(target <= 1.15)");
    Line("reg export", exportA, "CreateBackup", backupA, "(target >= 1.1)");
    Line("DeleteSelectedItems", deleteA);
    Line("bare RegSetValueExA loop", setA);
    Line("ReadBackup + RestoreItems", restoreA, "the RegSetValueExA loop", setA,
         "(target <= 1.10)");
    Line("reg import", importA, "the restore", restoreA, "(target > 1)");
    const int items = kItemKeys * kItemsPerKey;
    std::printf("(b) %d value items in %d keys\n", items, kItemKeys);
    Line("bare RegQueryValueExA loop", queryB);
    Line("CreateBackup", backupB, "the query loop", queryB, "(target <= 1.5)");
    Line("DeleteSelectedItems", deleteB);
    Line("bare RegSetValueExA loop", setB);
    Line("ReadBackup + RestoreItems", restoreB, "the RegSetValueExA loop", setB, "(target <= 1.5)");
    std::printf("  per item: backup %.1f us, delete %.1f us, restore %.1f us\n",
                Median(backupB) / items * 1e6, Median(deleteB) / items * 1e6,
                Median(restoreB) / items * 1e6);
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    RegistrySandbox sandbox;
    if (!sandbox.Active()) {
        std::printf("FAILED: registry sandbox\n");
        return 1;
    }
    // The backup folder next to this executable is the bench's own.
    const std::string folder = BackupManager().GetBackupFolder();
    DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    int result = 0;
    try {
        Run(runs, sandbox.ScratchPath());
    } catch (const std::exception& failure) {
        std::printf("FAILED: %s\n", failure.what());
        result = 1;
    }
    DeleteTreeOnDisk(folder.substr(0, folder.size() - 1));
    return result;
}
