#pragma once

#include "engine/Job.h"

namespace velk {

class SoftwareLocationsJob : public Job {
public:
    SoftwareLocationsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
