#include "backup/BackupFilePage.h"

#include "backup/BackupManager.h"
#include "controls/ListView.h"
#include "engine/FatalAssert.h"
#include "engine/Handles.h"
#include "resources/ResourceIds.h"
#include "engine/Instance.h"

#include <cstdio>
#include <vector>

namespace velk {

namespace {

// Newest first; the list view hands over the rows' entries.
int CALLBACK NewestFirst(LPARAM first, LPARAM second, LPARAM) {
    const auto* a = reinterpret_cast<const BackupFileEntry*>(first);
    const auto* b = reinterpret_cast<const BackupFileEntry*>(second);
    return -CompareFileTime(&a->creationTime, &b->creationTime);
}

// A '.' is never the second byte of a code page 936 pair, so the last one is the
// extension's.
std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

LRESULT BackupFilePage::OnDestroy() {
    // The list view still exists here; rows left behind would leak their entries.
    Clear();
    m_hWndList = nullptr; // goes with the page
    return 0;
}

LRESULT BackupFilePage::OnCreate() {
    m_hWndList = CreateWindowExA(0, WC_LISTVIEWA, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0,
                                 0, kWidth, kHeight, m_hWndPage, nullptr, g_hInstance, nullptr);
    VELK_ASSERT(m_hWndList, "BackupFilePage");
    GiveImageList(m_hWndList, MakeImageList({IDI_APPLICATION_ICON}, ILC_COLOR32));

    AddColumn(m_hWndList, 0, "名称", kNameWidth);
    AddColumn(m_hWndList, 1, "日期", kDateWidth);
    AddColumn(m_hWndList, 2, "大小", kSizeWidth);
    return 0;
}

void BackupFilePage::Fill() {
    if (!m_hWndList) return;
    const BackupManager manager;
    std::vector<std::string> names;
    manager.ListBackups(names);
    // Redrawn once at the end: row by row, a thousand backups take half a minute.
    SendMessageA(m_hWndList, WM_SETREDRAW, FALSE, 0);
    for (const std::string& name : names)
        AddRow(manager, name);
    SendMessageA(m_hWndList, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(NewestFirst));
    SendMessageA(m_hWndList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hWndList, nullptr, TRUE);
}

void BackupFilePage::AddRow(const BackupManager& manager, const std::string& name) {
    // As the restore opens it: a file another program holds is left out, and so are a
    // link and a folder whose name ends in ".backup2".
    FileHandle file = manager.OpenBackup(name);
    if (!file) return;
    auto* entry = new BackupFileEntry{name, {}, 0};
    GetFileTime(file.Get(), &entry->creationTime, nullptr, nullptr);
    entry->fileSize = GetFileSize(file.Get(), nullptr);

    const int row = InsertRow(m_hWndList, RowCount(m_hWndList), WithoutExtension(name).c_str(), 0,
                              reinterpret_cast<LPARAM>(entry));
    if (row < 0) {
        delete entry;
        return;
    }

    // The file system's UTC time, not converted to local time.
    SYSTEMTIME date = {};
    char text[1024] = "";
    if (!FileTimeToSystemTime(&entry->creationTime, &date) ||
        !GetDateFormatA(0, DATE_SHORTDATE, &date, nullptr, text, sizeof text))
        text[0] = '\0';
    SetCellText(m_hWndList, row, 1, text);
    std::snprintf(text, sizeof text, "%u 字节", static_cast<unsigned>(entry->fileSize));
    SetCellText(m_hWndList, row, 2, text);
}

BackupFileEntry* BackupFilePage::EntryAt(int row) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_hWndList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<BackupFileEntry*>(item.lParam);
}

bool BackupFilePage::GetSelectedFile(std::string& name) const {
    const int row = static_cast<int>(
        SendMessageA(m_hWndList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return false;
    const BackupFileEntry* entry = EntryAt(row);
    if (!entry) return false;
    name = entry->fileName;
    return true;
}

void BackupFilePage::Clear() {
    if (!m_hWndList) return;
    const int count = RowCount(m_hWndList);
    for (int row = 0; row < count; ++row)
        delete EntryAt(row);
    RemoveRows(m_hWndList);
}

} // namespace velk
