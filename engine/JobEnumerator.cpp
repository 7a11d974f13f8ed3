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

    auto root = std::make_unique<velk::EmptyJob>();
    root->name = "我的电脑";
    root->description = "扫描你计算机中注册表所有部分。";
    m_jobs.push_back(std::move(root));
    m_jobs.push_back(std::make_unique<velk::RegistryIntegrityJob>());
    m_jobs.push_back(std::make_unique<velk::CustomControlsJob>());
    m_jobs.push_back(std::make_unique<velk::SoftwareLocationsJob>());
    m_jobs.push_back(std::make_unique<velk::WindowsFontsJob>());
    m_jobs.push_back(std::make_unique<velk::HelpresJob>());
    m_jobs.push_back(std::make_unique<velk::SharedProgsJob>());
    m_jobs.push_back(std::make_unique<velk::StartupProgsJob>());
    m_jobs.push_back(std::make_unique<velk::AddRemProgsJob>());
    for (size_t i = 0; i < m_jobs.size(); ++i)
        m_jobs[i]->jobId = static_cast<int32_t>(i);
}

JobEnumerator::~JobEnumerator() {
    VELK_ASSERT(mSingleton == this, "JobEnumerator");
    mSingleton = nullptr;
}

velk::Job* JobEnumerator::FindJob(int32_t jobId) const {
    for (const auto& job : m_jobs)
        if (job->jobId == jobId) return job.get();
    return nullptr;
}
