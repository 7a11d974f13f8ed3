// Running one check against the sandbox and reading what it found.
#pragma once

#include "engine/Job.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// Runs the check once; the count it leaves must be the number of items it appended.
inline ProblemList RunScan(velk::Job& job, bool stopRequested = false) {
    ScanStatus status;
    status.stopRequested = stopRequested;
    ProblemList items;
    job.Scan(&status, &items);
    EXPECT_EQ(status.problemCount, static_cast<int32_t>(items.size()));
    EXPECT_EQ(status.stopRequested, stopRequested) << "a check never writes the stop request";
    return items;
}

inline std::set<std::string> ItemNames(const ProblemList& items) {
    std::set<std::string> names;
    for (const ProblemItem& item : items)
        names.insert(item.itemName);
    return names;
}

// Compares the item names found with those expected, listing only the differences
// and each long name by its start and length.
inline ::testing::AssertionResult FoundExactly(const ProblemList& items,
                                               const std::set<std::string>& expected) {
    std::set<std::string> found = ItemNames(items);
    if (found == expected && found.size() == items.size()) return ::testing::AssertionSuccess();
    auto brief = [](const std::string& name) {
        return name.size() <= 24 ? name
                                 : name.substr(0, 12) + "...(" + std::to_string(name.size()) + ")";
    };
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    result << items.size() << " items;";
    for (const std::string& name : found)
        if (!expected.count(name)) result << " unexpected " << brief(name);
    for (const std::string& name : expected)
        if (!found.count(name)) result << " missing " << brief(name);
    return result;
}

// A path on C: of exactly length bytes that names nothing (from 4 bytes on; "C:\"
// itself exists). Long ones exceed every limit of the file system and still name
// nothing.
inline std::string MissingPathOfLength(size_t length) {
    return length < 3 ? std::string(length, 'q') : "C:\\" + std::string(length - 3, 'q');
}

// Lengths around every limit a text meets on its way: the short ones, MAX_PATH, the
// 2048-byte buffers.
inline std::vector<size_t> EdgeLengths() {
    return {0, 1, 2, 3, 4, 255, 256, 259, 260, 261, 1023, 1024, 2040, 2046, 2047, 2048, 2049, 4096};
}

// What a check makes of a text of this length from MissingPathOfLength: reported when
// it fits in 2048 bytes with its terminator and names something that could exist.
inline bool ReportedAtLength(size_t length) {
    return length >= 4 && length <= 2047;
}
