#include "engine/RegistryRepairer.h"

#include "checks/RegistryWalk.h"
#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/KeyTree.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {
// What names an entry in the registry; texts hold no zero bytes.
std::string EntryOf(const ProblemItem& item) {
    return std::to_string(item.kind) + '\0' + std::to_string(item.rootKey) + '\0' + item.keyPath +
           '\0' + item.itemName;
}
} // namespace

FixOutcome RegistryRepairer::Fix(ProblemList items, const JobEnumerator& jobs,
                                 const std::function<bool(const ProblemList&)>& backup) const {
    // Only what can be put back exactly is backed up and deleted; what is no longer
    // stale stays, unticked.
    const bool allKept = KeepFixable(items, jobs);
    if (backup && !backup(items)) return FixOutcome::NotBackedUp;
    return DeleteSelectedItems(items) && allKept ? FixOutcome::Done : FixOutcome::Partly;
}

bool RegistryRepairer::KeepFixable(ProblemList& items, const JobEnumerator& jobs) const {
    UntickLiveItems(items, jobs);
    auto ticked = [&] {
        return std::count_if(items.begin(), items.end(),
                             [](const ProblemItem& item) { return item.selected; });
    };
    const auto before = ticked();
    items.erase(std::remove_if(items.begin(), items.end(),
                               [](const ProblemItem& item) {
                                   return item.kind == kKindKey &&
                                          !KeyReadsExactly(item.rootKey, item.keyPath.c_str(),
                                                           item.itemName.c_str());
                               }),
                items.end());
    return ticked() == before;
}

void RegistryRepairer::UntickLiveItems(ProblemList& items, const JobEnumerator& jobs) const {
    std::map<int32_t, std::set<std::string>> staleByJob;
    for (ProblemItem& item : items) {
        if (!item.selected) continue;
        auto stale = staleByJob.find(item.jobId);
        if (stale == staleByJob.end()) {
            stale = staleByJob.emplace(item.jobId, std::set<std::string>()).first;
            // A job that cannot be asked again confirms nothing.
            if (velk::Job* job = jobs.FindJob(item.jobId)) {
                ScanStatus status;
                ProblemList fresh;
                job->Scan(&status, &fresh);
                for (const ProblemItem& found : fresh)
                    stale->second.insert(EntryOf(found));
            }
        }
        if (!stale->second.count(EntryOf(item))) item.selected = false;
    }
}

bool RegistryRepairer::DeleteSelectedItems(const ProblemList& items) const {
    bool allDeleted = true;
    for (const ProblemItem& item : items) {
        if (!item.selected || (item.kind != kKindValue && item.kind != kKindKey)) continue;
        RegKey key;
        if (!IsKnownRoot(item.rootKey) ||
            !key.Open(item.rootKey, item.keyPath.c_str(), kRepairAccess)) {
            allDeleted = false;
            continue;
        }
        if (item.kind == kKindValue) {
            if (RegDeleteValueA(key.Get(), item.itemName.c_str()) != ERROR_SUCCESS)
                allDeleted = false;
        } else if (item.itemName.empty() || !DeleteKeyTree(key.Get(), item.itemName.c_str())) {
            // No name would take the whole of keyPath with it: refused.
            allDeleted = false;
        }
    }
    return allDeleted;
}

namespace {

// Values go with their key: only subkeys stand in the way of a deletion.
class TreeDeleter : public KeyTreeVisitor {
public:
    bool EnterKey(HKEY, const std::wstring&, DWORD, DWORD) override { return true; }
    bool Value(const wchar_t*, DWORD, DWORD, const BYTE*, DWORD) override { return true; }
    bool LeaveKey(HKEY parent, const std::wstring& name) override {
        return DeleteRegistryKey(parent, name.c_str());
    }
};

} // namespace

bool RegistryRepairer::DeleteKeyTree(HKEY parent, const char* name) const {
    TreeDeleter deleter;
    // An empty name would be the parent itself.
    return name[0] && WalkKeyTree(parent, WideFromGbk(name), kRepairAccess, deleter);
}
