#include "checks/SharedProgsJob.h"

namespace velk {

SharedProgsJob::SharedProgsJob() {}

void SharedProgsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
