#pragma once

#include "engine/ProblemItem.h"

#include <cstdint>
#include <string>

namespace velk {

// One check of the scan. Derived jobs add no data members.
class Job {
public:
    Job();
    // Jobs are destroyed through this base by the enumerator.
    virtual ~Job() = default;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Appends what it finds to items and counts it in status; the default finds nothing.
    virtual void Scan(ScanStatus* status, ProblemList* items);

    std::string name;
    std::string description;
    uint32_t iconId;
    int32_t jobId;

protected:
    // What a check found, in the order of the item's fields.
    struct Finding {
        uint32_t rootKey;
        const char* keyPath;
        std::string itemName;
        std::string description;
        std::string locationText;
        std::string dataText;
        int32_t kind;
    };
    // Makes the item for this job, ticked, appends it and counts it.
    void Report(ScanStatus* status, ProblemList* items, Finding found) const;
};

// The root of the job list: lists every item, scans nothing.
class EmptyJob : public Job {};

} // namespace velk
