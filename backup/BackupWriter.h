// Writing item records from the live registry: the data a fix would destroy.
#pragma once

#include "backup/BackupRecord.h"
#include "engine/ProblemItem.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/Handles.h"

#include <vector>

// Writes item records one after another. A scan lists the values of one key together,
// so the last key read stays open for the next record, and one data buffer serves all.
class ItemRecordWriter {
public:
    explicit ItemRecordWriter(ByteSink& file) : m_file(file) {}
    // The header, then the value block (kind 0) or key node (kind 1) read from the
    // registry. False when the entry can no longer be read or a write fails.
    bool Write(const ProblemItem& item);
    // Nothing is written when the value cannot be read.
    bool WriteValue(uint32_t rootKey, const std::string& keyPath, const std::string& valueName);

private:
    ByteSink& m_file;
    LastKey m_key;
    std::vector<BYTE> m_data;
};

bool WriteItemRecord(ByteSink& file, const ProblemItem& item);
bool WriteValueBlock(ByteSink& file, uint32_t rootKey, const std::string& keyPath,
                     const std::string& valueName);
// The node of parent\name, with every value and subkey below it.
// The counts written are the ones the registry reported, so a key that changes while it
// is being written fails rather than leave a node that does not match them.
bool WriteKeyNode(ByteSink& file, HKEY parent, const std::string& name);
