#include "checks/SoftwareLocationsJob.h"

namespace velk {

SoftwareLocationsJob::SoftwareLocationsJob() {}

void SoftwareLocationsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
