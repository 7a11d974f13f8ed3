#pragma once

#include "engine/Job.h"

namespace velk {

class RegistryIntegrityJob : public Job {
public:
    RegistryIntegrityJob();
    void Scan(ScanStatus* status, ProblemList* items) override;
};

} // namespace velk
