#include "engine/Job.h"

#include "resources/ResourceIds.h"

#include <utility>

namespace velk {

Job::Job()
    : name("默认操作"), description("执行默认操作"), iconId(IDI_APPLICATION_ICON), jobId(-1) {}

void Job::Scan(ScanStatus*, ProblemList*) {}

void Job::Report(ScanStatus* status, ProblemList* items, const Place& place, const KeyView& view,
                 const std::string& name, std::string description, std::string data) const {
    ProblemItem item;
    item.rootKey = view.root;
    item.keyPath = view.path;
    item.itemName = name;
    item.description = std::move(description);
    item.locationText = place.LocationOf(view, name);
    item.dataText = std::move(data);
    item.jobId = jobId;
    item.kind = place.kind;
    item.selected = true;
    items->push_back(std::move(item));
    ++status->problemCount;
}

} // namespace velk
