#pragma once

#include "engine/Job.h"

namespace velk {

class SharedProgsJob : public Job {
public:
    SharedProgsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
