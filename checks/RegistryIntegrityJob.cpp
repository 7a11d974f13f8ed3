#include "checks/RegistryIntegrityJob.h"

namespace velk {

RegistryIntegrityJob::RegistryIntegrityJob() {}

void RegistryIntegrityJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
