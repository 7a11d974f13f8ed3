#include "engine/Job.h"

#include "resources/ResourceIds.h"

#include <utility>

namespace velk {

Job::Job()
    : name("默认操作"), description("执行默认操作"), iconId(IDI_APPLICATION_ICON), jobId(-1) {}

void Job::Scan(ScanStatus*, ProblemList*) {}

void Job::Report(ScanStatus* status, ProblemList* items, Finding found) const {
    ProblemItem item;
    item.rootKey = found.rootKey;
    item.keyPath = found.keyPath;
    item.itemName = std::move(found.itemName);
    item.description = std::move(found.description);
    item.locationText = std::move(found.locationText);
    item.dataText = std::move(found.dataText);
    item.jobId = jobId;
    item.kind = found.kind;
    item.selected = true;
    items->push_back(std::move(item));
    ++status->problemCount;
}

} // namespace velk
