// The backup folder next to the executable and the whole-file operations on it:
// automatic names, creating, listing, reading and restoring backups.
#pragma once

#include "backup/BackupRecord.h"
#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/ProblemItem.h"

#include <windows.h>

#include <string>
#include <vector>

class BackupManager {
public:
    // The executable's folder + "backups\"; empty when the executable's path cannot
    // be had, and then every operation below fails.
    std::string GetBackupFolder() const;
    // The first free automatic name, or empty when 001 to 998 all exist.
    std::string NextBackupName() const;
    // Every item, ticked or not, with the registry data it names. True when the file
    // was written whole and is on the disk; otherwise no file is left. Never overwrites.
    bool CreateBackup(const std::string& name, const ProblemList& items) const;
    // The same under the first free automatic name at the moment it is given: the
    // name used, or empty when no backup was made.
    std::string CreateAutomaticBackup(const ProblemList& items) const;
    // Appends the names of the ".backup2" files, in the order the file system gives.
    void ListBackups(std::vector<std::string>& names) const;
    // A backup of the folder by its bare name, for reading and shared with no one, so
    // it cannot change while it is open; not valid when it cannot be opened.
    FileHandle OpenBackup(const std::string& name) const;
    // Appends one item per record read whole, ticked, or foreign and unticked when no
    // check makes its shape; false when the file cannot be opened.
    bool ReadBackup(const std::string& name, ProblemList& items) const;
    // Writes the ticked items back from a backup file opened by the caller. False when
    // the file is not open or any ticked item failed; a failed item writes nothing, and
    // neither does one no check could have found.
    bool RestoreItems(HANDLE file, const ProblemList& items) const;
    // Whether an open file still begins with the records of a list read from it, in
    // order: the saved offsets mean nothing in another file.
    bool HoldsRecords(HANDLE file, const ProblemList& items) const;
    bool RestoreValue(ByteSource& file, const ProblemItem& item) const;
    bool RestoreKeyTree(ByteSource& file, const ProblemItem& item) const;
    // Whether the folder is there as a junction or a link, through which nothing is
    // read or written.
    bool FolderIsLink() const;

private:
    // The folder, held open so that it cannot be swapped for a link while it is used;
    // made first when asked, changeable by Administrators and SYSTEM alone. Not valid
    // when it is a junction or a link or cannot be had.
    FileHandle HoldFolder(bool create) const;
    // Writes a key node that has been checked whole, so it cannot fail to read.
    bool RestoreKeyNode(ByteSource& payload, HKEY parent) const;
    // The whole backup in a new temporary file of the folder, flushed to the disk: its
    // path, or empty with nothing left behind. The ".tmp" name is never listed.
    std::string WriteTemporary(const ProblemList& items) const;
    // A bare file name: anything that could lead out of the folder is refused.
    std::string PathOf(const std::string& name) const;
};
