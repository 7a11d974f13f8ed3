#include "engine/Job.h"

#include <utility>

namespace velk {

Job::Job() : name("默认操作"), description("执行默认操作"), iconId(107), jobId(-1) {}

void Job::Scan(ScanStatus*, ProblemList*) {}

void Job::Report(ScanStatus* status, ProblemList* items, ProblemItem item) const {
    item.jobId = jobId;
    item.selected = true;
    items->push_back(std::move(item));
    ++status->problemCount;
}

} // namespace velk
