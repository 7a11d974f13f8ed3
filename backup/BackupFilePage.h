// The page on which the user picks the backup to restore: one list-view row per
// backup file in the backup folder, newest first, with its name, date and size.
#pragma once

#include "backup/BackupManager.h"
#include "wizard/WizardPage.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

namespace velk {

// The data behind one row; the page allocates it with the row and frees it in Clear.
struct BackupFileEntry {
    std::string fileName; // with its extension, no folder
    FILETIME creationTime;
    uint32_t fileSize; // low 32 bits
};

class BackupFilePage : public WizardPage {
public:
    static constexpr int kNameWidth = 426;
    static constexpr int kDateWidth = 162;
    static constexpr int kSizeWidth = 100;

    // One row per backup file that opens, then the rows newest first. Adds to what
    // the list holds already.
    void Fill();
    // The selected row's file name, with its extension; false and `name` untouched
    // when no row is selected.
    bool GetSelectedFile(std::string& name) const;
    // Frees every row's entry and removes the rows.
    void Clear();

    HWND m_hWndList = nullptr;
    // The backup chosen last; the restore reads it after the rows are gone.
    std::string m_strFileName;

private:
    LRESULT OnCreate() override;
    LRESULT OnDestroy() override;
    void AddRow(const BackupManager& manager, const std::string& name);
    BackupFileEntry* EntryAt(int row) const;
};

} // namespace velk
