#include "checks/WindowsFontsJob.h"

namespace velk {

WindowsFontsJob::WindowsFontsJob() {}

void WindowsFontsJob::Scan(ScanStatus*, ProblemList*) {}

} // namespace velk
