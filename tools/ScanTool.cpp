// Console diagnostic: runs the nine jobs over this machine's registry, as the
// progress page's worker does, and prints what they find as UTF-8.
//   ScanTool.exe --fix NAME MARK...   then fixes, as the program's fix with a backup
// does, the items whose name begins with a MARK; the backup NAME goes to the backups
// folder beside ScanTool.exe. Exit code 0 when the backup was made and all went.
#include "backup/BackupManager.h"
#include "engine/GbkText.h"
#include "engine/Instance.h"
#include "engine/JobEnumerator.h"
#include "engine/RegistryRepairer.h"
#include "engine/StartupGuard.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Utf8(const std::string& gbk) {
    const std::wstring w = WideFromGbk(gbk);
    const int wide = static_cast<int>(w.size());
    if (wide == 0) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    LimitDllSearchToSystemFolder();
    if (!RequireCodePage936(true)) return 1;
    g_hInstance = GetModuleHandleA(nullptr);
    JobEnumerator jobs;
    ScanStatus status;
    ProblemList items;
    for (const auto& job : jobs) {
        size_t first = items.size();
        status.problemCount = 0;
        job->Scan(&status, &items);
        std::printf("== %s: %d\n", Utf8(job->name).c_str(), status.problemCount);
        for (size_t i = first; i < items.size(); ++i) {
            const ProblemItem& it = items[i];
            std::printf("%d\t%d\t%08X\t%s\t%s\t%s\t%s\t%s\n", it.jobId, it.kind, it.rootKey,
                        Utf8(it.keyPath).c_str(), Utf8(it.itemName).c_str(),
                        Utf8(it.description).c_str(), Utf8(it.locationText).c_str(),
                        Utf8(it.dataText).c_str());
        }
    }
    std::printf("%u items\n", static_cast<unsigned>(items.size()));
    if (argc < 3 || std::string(argv[1]) != "--fix") return 0;
    for (ProblemItem& item : items) {
        item.selected = false;
        for (int i = 3; i < argc; ++i)
            item.selected =
                item.selected || item.itemName.compare(0, std::strlen(argv[i]), argv[i]) == 0;
    }
    const std::string name = argv[2];
    switch (RegistryRepairer().Fix(items, jobs, [&](const ProblemList& kept) {
        return BackupManager().CreateBackup(name, kept);
    })) {
    case FixOutcome::Done:
        return 0;
    case FixOutcome::Partly:
        return 1;
    default:
        return 2;
    }
}
