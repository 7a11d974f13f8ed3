#include "checks/CustomControlsJob.h"

namespace velk {

CustomControlsJob::CustomControlsJob() {}

void CustomControlsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
