#pragma once

#include "engine/Job.h"

namespace velk {

class HelpresJob : public Job {
public:
    HelpresJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
