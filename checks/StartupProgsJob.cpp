#include "checks/StartupProgsJob.h"

namespace velk {

StartupProgsJob::StartupProgsJob() {}

void StartupProgsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
