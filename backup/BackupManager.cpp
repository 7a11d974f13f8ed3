#include "backup/BackupManager.h"

#include "backup/BackupFile.h"
#include "backup/BackupWriter.h"
#include "checks/Place.h"
#include "engine/GbkText.h"
#include "engine/Handles.h"
#include "engine/Instance.h"

#include <sddl.h>

#include <cstdio>

namespace {

const char kExtension[] = ".backup2";
constexpr int kLastAutomaticNumber = 998;
// Protected from inheritance: Administrators and SYSTEM full control, everyone else
// read, list and traverse, for the folder and all it holds.
const char kFolderSecurity[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;WD)";

bool IsLinkAttribute(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A file of the folder as itself: a junction or link there is opened, found and refused,
// never followed.
FileHandle OpenNoLink(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
    // Asked of the name as well: Wine tells a Unix link to a folder only by its name.
    if (IsLinkAttribute(GetFileAttributesA(path.c_str()))) return FileHandle();
    FileHandle file(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (file &&
        (!GetFileInformationByHandle(file.Get(), &info) || IsLinkAttribute(info.dwFileAttributes)))
        file.Reset();
    return file;
}

// Writes what a walk over a checked key node meets, one open key per level.
class KeyNodeWriter : public KeyNodeVisitor {
public:
    explicit KeyNodeWriter(HKEY parent) : m_parent(parent) {}

    bool EnterKey(const std::string& name) override {
        RegKey key;
        if (!key.Create(Current(), name.c_str(), KEY_WRITE)) {
            ++failures;
            return false;
        }
        m_open.push_back(std::move(key));
        return true;
    }
    void Value(const std::string& name, uint32_t type, const uint8_t* data,
               uint32_t size) override {
        if (RegSetValueExA(Current(), name.c_str(), 0, type, data, size) != ERROR_SUCCESS)
            ++failures;
    }
    void LeaveKey() override { m_open.pop_back(); }

    int failures = 0;

private:
    HKEY Current() const { return m_open.empty() ? m_parent : m_open.back().Get(); }

    HKEY m_parent;
    std::vector<RegKey> m_open;
};

// The whole block is read before anything is written, the key included.
bool RestoreValueInto(ByteSource& file, const ProblemItem& item, LastKey& target) {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    HKEY key = nullptr;
    return IsPlaceItem(item) && item.backupOffset >= 0 &&
           file.Seek(static_cast<uint64_t>(item.backupOffset)) &&
           ReadValueBlock(file, type, data) &&
           (key = target.Reach(item.rootKey, item.keyPath, KEY_WRITE, true)) != nullptr &&
           RegSetValueExA(key, item.itemName.c_str(), 0, type, data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

} // namespace

std::string BackupManager::GetBackupFolder() const {
    const std::string folder = ProgramFolder();
    return folder.empty() ? folder : folder + "backups\\";
}

std::string BackupManager::PathOf(const std::string& name) const {
    std::string folder = GetBackupFolder();
    if (folder.empty() || !IsBareFileName(name)) return {};
    return folder + name;
}

std::string BackupManager::NextBackupName() const {
    std::string folder = GetBackupFolder();
    if (folder.empty()) return {};
    for (int n = 1; n <= kLastAutomaticNumber; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "自动备份%.3d%s", n, kExtension);
        if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) return name;
    }
    return {};
}

FileHandle BackupManager::HoldFolder(bool create) const {
    std::string folder = GetBackupFolder();
    if (folder.empty()) return FileHandle();
    folder.pop_back(); // the folder itself, not its contents
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (create && ConvertStringSecurityDescriptorToSecurityDescriptorA(
                      kFolderSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
        CreateDirectoryA(folder.c_str(), &attributes);
        LocalFree(descriptor);
    }
    // Without FILE_SHARE_DELETE it can be neither renamed nor removed while held.
    return OpenNoLink(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

bool BackupManager::FolderIsLink() const {
    std::string folder = GetBackupFolder();
    if (folder.empty()) return false;
    folder.pop_back();
    return IsLinkAttribute(GetFileAttributesA(folder.c_str()));
}

std::string BackupManager::WriteTemporary(const ProblemList& items) const {
    std::string folder = GetBackupFolder();
    if (folder.empty() || items.size() > UINT32_MAX) return {};
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "tw", 0, temp)) return {};
    FileHandle file = OpenNoLink(temp, GENERIC_WRITE, 0, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL);
    bool ok = static_cast<bool>(file);
    if (ok) {
        BackupFileWriter writer(file.Get());
        ItemRecordWriter records(writer);
        ok = WriteU32(writer, static_cast<uint32_t>(items.size()));
        for (size_t i = 0; ok && i < items.size(); ++i)
            ok = records.Write(items[i]);
        // On the disk before its name says it is a backup: a crash or power loss
        // leaves a whole backup or none.
        ok = ok && writer.Flush() && FlushFileBuffers(file.Get());
        file.Reset();
    }
    if (!ok) {
        DeleteFileA(temp);
        return {};
    }
    return temp;
}

bool BackupManager::CreateBackup(const std::string& name, const ProblemList& items) const {
    std::string path = PathOf(name);
    const FileHandle folder = HoldFolder(true);
    std::string temp = path.empty() || !folder ? std::string() : WriteTemporary(items);
    if (temp.empty()) return false;
    // Without MOVEFILE_REPLACE_EXISTING an existing file stays as it is.
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(temp.c_str());
    return false;
}

std::string BackupManager::CreateAutomaticBackup(const ProblemList& items) const {
    const FileHandle folder = HoldFolder(true);
    std::string temp = folder ? WriteTemporary(items) : std::string();
    if (temp.empty()) return {};
    // A name taken since it was found free moves the backup on to the next one.
    for (int tries = 0; tries < kLastAutomaticNumber; ++tries) {
        std::string name = NextBackupName();
        if (name.empty()) break;
        if (MoveFileExA(temp.c_str(), (GetBackupFolder() + name).c_str(), MOVEFILE_WRITE_THROUGH))
            return name;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    DeleteFileA(temp.c_str());
    return {};
}

void BackupManager::ListBackups(std::vector<std::string>& names) const {
    const FileHandle held = HoldFolder(true);
    if (!held) return;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((GetBackupFolder() + "*").c_str(), &found));
    if (!find) return;
    do {
        std::string entry = found.cFileName;
        size_t dot = entry.rfind('.');
        if (dot != std::string::npos && entry.compare(dot, std::string::npos, kExtension) == 0 &&
            !IsLinkAttribute(found.dwFileAttributes))
            names.push_back(entry);
    } while (FindNextFileA(find.Get(), &found));
}

FileHandle BackupManager::OpenBackup(const std::string& name) const {
    std::string path = PathOf(name);
    const FileHandle folder = HoldFolder(false);
    if (path.empty() || !folder) return FileHandle();
    return OpenNoLink(path, GENERIC_READ, 0, OPEN_EXISTING, 0);
}

bool BackupManager::ReadBackup(const std::string& name, ProblemList& items) const {
    FileHandle file = OpenBackup(name);
    if (!file) return false;
    BackupFileReader reader(file.Get());
    uint32_t count = 0;
    if (!reader.Valid() || !ReadU32(reader, count))
        return true; // too short to hold a count: no records
    for (uint32_t i = 0; i < count; ++i) {
        ProblemItem item;
        if (!ReadItemRecord(reader, item)) break;
        item.foreign = !IsPlaceItem(item);
        item.selected = !item.foreign;
        items.push_back(std::move(item));
    }
    return true;
}

bool BackupManager::RestoreItems(HANDLE file, const ProblemList& items) const {
    BackupFileReader reader(file);
    if (!reader.Valid()) return false;
    bool allRestored = true;
    LastKey target;
    for (const ProblemItem& item : items) {
        if (!item.selected) continue;
        if (item.kind == kKindValue)
            allRestored = RestoreValueInto(reader, item, target) && allRestored;
        else if (item.kind == kKindKey)
            allRestored = RestoreKeyTree(reader, item) && allRestored;
    }
    return allRestored;
}

bool BackupManager::HoldsRecords(HANDLE file, const ProblemList& items) const {
    BackupFileReader reader(file);
    uint32_t count = 0;
    if (!reader.Valid() || !reader.Seek(0)) return false;
    if (!ReadU32(reader, count)) return items.empty();
    if (items.size() > count) return false;
    for (const ProblemItem& item : items) {
        ProblemItem record;
        if (!ReadItemRecord(reader, record) || record.rootKey != item.rootKey ||
            record.keyPath != item.keyPath || record.itemName != item.itemName ||
            record.description != item.description || record.locationText != item.locationText ||
            record.dataText != item.dataText || record.jobId != item.jobId ||
            record.kind != item.kind || record.backupOffset != item.backupOffset)
            return false;
    }
    return true;
}

bool BackupManager::RestoreValue(ByteSource& file, const ProblemItem& item) const {
    LastKey target;
    return RestoreValueInto(file, item, target);
}

bool BackupManager::RestoreKeyTree(ByteSource& file, const ProblemItem& item) const {
    if (!IsPlaceItem(item) || item.backupOffset < 0) return false;
    // Checked whole first, then held in memory: a damaged node writes nothing.
    uint64_t start = static_cast<uint64_t>(item.backupOffset);
    if (!file.Seek(start) || !SkipKeyNode(file)) return false;
    std::vector<uint8_t> payload(static_cast<size_t>(file.Position() - start));
    MemorySource node(payload);
    std::string name;
    RegKey parent;
    // The card shows the record's name: a node of another name is not what it shows.
    if (!file.Seek(start) || !file.Read(payload.data(), payload.size()) ||
        !ReadString(node, name) || name != item.itemName || !node.Seek(0) ||
        !parent.Create(item.rootKey, item.keyPath.c_str(), KEY_WRITE))
        return false;
    return RestoreKeyNode(node, parent.Get());
}

bool BackupManager::RestoreKeyNode(ByteSource& payload, HKEY parent) const {
    KeyNodeWriter writer(parent);
    return WalkKeyNode(payload, &writer) && writer.failures == 0;
}
