#include "checks/AddRemProgsJob.h"

namespace velk {

AddRemProgsJob::AddRemProgsJob() {}

void AddRemProgsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
