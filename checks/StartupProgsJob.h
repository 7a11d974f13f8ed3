#pragma once

#include "engine/Job.h"

namespace velk {

class StartupProgsJob : public Job {
public:
    StartupProgsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
