// Removing ticked problems from the registry.
#pragma once

#include "engine/JobEnumerator.h"
#include "engine/ProblemItem.h"

#include <windows.h>

#include <cstdint>
#include <functional>

constexpr REGSAM kRepairAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

enum class FixOutcome { Done, Partly, NotBackedUp };

class RegistryRepairer {
public:
    // The fix, for the program and its console tool alike: what can be fixed is kept, then
    // backed up by `backup` when one is given (nothing is deleted when that fails), then
    // the ticked items go. Partly when an item stayed or was left out.
    FixOutcome Fix(ProblemList items, const JobEnumerator& jobs,
                   const std::function<bool(const ProblemList&)>& backup) const;
    // Every ticked item, in list order; a failed item never stops the walk. True when
    // every ticked item of kind 0 or 1 was deleted.
    bool DeleteSelectedItems(const ProblemList& items) const;
    // The subkey with every subkey and value below it; true when the subkey itself went.
    bool DeleteKeyTree(HKEY parent, const char* name) const;

private:
    // What a fix may touch. Unticks every ticked item that a fresh scan of its job no
    // longer reports (its program may have been put back since the scan), and leaves out
    // every key whose tree holds a name or text the A functions cannot give exactly: its
    // backup would put back something else. False when a ticked item was left out.
    bool KeepFixable(ProblemList& items, const JobEnumerator& jobs) const;
    void UntickLiveItems(ProblemList& items, const JobEnumerator& jobs) const;
};
