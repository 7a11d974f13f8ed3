#include "checks/HelpresJob.h"

namespace velk {

HelpresJob::HelpresJob() {}

void HelpresJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
