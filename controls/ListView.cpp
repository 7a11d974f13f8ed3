#include "controls/ListView.h"

#include "controls/Look.h"

#include <commctrl.h>

namespace velk {

ImageListHandle MakeImageList(std::initializer_list<int> iconIds, UINT colour) {
    ImageListHandle images(
        ImageList_Create(16, 16, colour | ILC_MASK, static_cast<int>(iconIds.size()), 0));
    for (int id : iconIds)
        ImageList_AddIcon(images.Get(), ProgramIcon(id, 16).Get());
    return images;
}

void GiveImageList(HWND list, ImageListHandle images) {
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.Release()));
}

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

int InsertRow(HWND list, int row, const char* text, int image, LPARAM param) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    item.iImage = image;
    item.lParam = param;
    return static_cast<int>(
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCellText(HWND list, int row, int cell, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = cell;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SetRowImage(HWND list, int row, int image) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void RemoveRows(HWND list) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

} // namespace velk
