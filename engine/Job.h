#pragma once

#include "checks/Place.h"
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
    // Makes the item for this job, found in a view of a place, ticked; appends it and
    // counts it. The place names the location and the kind.
    void Report(ScanStatus* status, ProblemList* items, const Place& place, const KeyView& view,
                const std::string& name, std::string description, std::string data) const;
};

// The root of the job list: lists every item, scans nothing.
class EmptyJob : public Job {};

} // namespace velk
