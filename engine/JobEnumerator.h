#pragma once

#include "engine/Job.h"

#include <cstdint>
#include <memory>
#include <vector>

// The one ordered list of jobs; position equals jobId.
class JobEnumerator {
public:
    JobEnumerator();
    ~JobEnumerator();
    JobEnumerator(const JobEnumerator&) = delete;
    JobEnumerator& operator=(const JobEnumerator&) = delete;

    using const_iterator = std::vector<std::unique_ptr<velk::Job>>::const_iterator;
    const_iterator begin() const { return m_jobs.begin(); }
    const_iterator end() const { return m_jobs.end(); }
    size_t size() const { return m_jobs.size(); }

    velk::Job* FindJob(int32_t jobId) const;

    static JobEnumerator* mSingleton;

private:
    std::vector<std::unique_ptr<velk::Job>> m_jobs;
};
