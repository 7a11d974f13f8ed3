#pragma once

#include "engine/Job.h"

namespace velk {

class WindowsFontsJob : public Job {
public:
    WindowsFontsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
