#pragma once

#include "engine/Job.h"

namespace velk {

class AddRemProgsJob : public Job {
public:
    AddRemProgsJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
