#pragma once

#include "engine/Job.h"

namespace velk {

class CustomControlsJob : public Job {
public:
    CustomControlsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
