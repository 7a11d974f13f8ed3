#include "engine/JobEnumerator.h"

#include "checks/AddRemProgsJob.h"
#include "checks/CustomControlsJob.h"
#include "checks/HelpresJob.h"
#include "checks/RegistryIntegrityJob.h"
#include "checks/SharedProgsJob.h"
#include "checks/SoftwareLocationsJob.h"
#include "checks/StartupProgsJob.h"
#include "checks/WindowsFontsJob.h"
#include "engine/FatalAssert.h"

JobEnumerator* JobEnumerator::mSingleton = nullptr;

JobEnumerator::JobEnumerator() {
    VELK_ASSERT(mSingleton == 0, "JobEnumerator");
    mSingleton = this;

    velk::Job* root = new velk::EmptyJob;
    root->name = "我的电脑";
    root->description = "扫描你计算机中注册表所有部分。";
    m_jobs = {root,
              new velk::RegistryIntegrityJob,
              new velk::CustomControlsJob,
              new velk::SoftwareLocationsJob,
              new velk::WindowsFontsJob,
              new velk::HelpresJob,
              new velk::SharedProgsJob,
              new velk::StartupProgsJob,
              new velk::AddRemProgsJob};
    for (size_t i = 0; i < m_jobs.size(); ++i)
        m_jobs[i]->jobId = static_cast<int32_t>(i);
}

JobEnumerator::~JobEnumerator() {
    for (velk::Job* job : m_jobs)
        delete job;
    VELK_ASSERT(mSingleton == this, "JobEnumerator");
    mSingleton = nullptr;
}

velk::Job* JobEnumerator::FindJob(int32_t jobId) const {
    for (velk::Job* job : m_jobs)
        if (job->jobId == jobId)
            return job;
    return nullptr;
}
