// Stale entries planted in the registry sandbox for the tests that run whole scans.
#pragma once

#include "support/TestFolder.h"

#include <cstdint>
#include <map>

// Plants entries for three jobs, each naming a file or folder under files that is
// not there, plus one entry per job that is sound; answers how many items each job
// must find (by jobId).
std::map<int32_t, int> PlantStaleEntries(const TestFolder& files);

// Startup values whose programs are gone, enough to keep the startup check busy for a
// while; it finishes its walk whatever the stop request says.
bool PlantManyStaleStartupValues(const TestFolder& files, int count);

// COM classes whose servers are gone, enough to keep the class check busy for a while
// (it looks at the stop request between classes). Answers false when planting failed.
bool PlantManyStaleClasses(const TestFolder& files, int count);
