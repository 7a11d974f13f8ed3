// Writing item records from the live registry: the data a fix would destroy.
#pragma once

#include "backup/BackupRecord.h"
#include "engine/ProblemItem.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The header, then the value block (kind 0) or key node (kind 1) read from the registry.
// False when the entry can no longer be read or a write fails.
bool WriteItemRecord(ByteSink& file, const ProblemItem& item);
// Nothing is written when the value cannot be read.
bool WriteValueBlock(ByteSink& file, uint32_t rootKey, const std::string& keyPath,
                     const std::string& valueName);
// The node of an open key under the given name, with every value and subkey below it.
// The counts written are the ones the registry reported, so a key that changes while it
// is being written fails rather than leave a node that does not match them.
bool WriteKeyNode(ByteSink& file, HKEY key, const std::string& name);
