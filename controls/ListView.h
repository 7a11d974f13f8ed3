// The list views' few operations, written once for the pages that show one, and the
// image lists made from the program's icons.
#pragma once

#include "engine/Handles.h"

#include <initializer_list>

namespace velk {

// 16 x 16 images of the program's icons, in the order given: image i is iconIds[i].
ImageListHandle MakeImageList(std::initializer_list<int> iconIds, UINT colour = ILC_COLOR24);

// The list view takes the image list as its small images and destroys it with itself.
void GiveImageList(HWND list, ImageListHandle images);
void AddColumn(HWND list, int index, const char* title, int width);
// A row at `row` with its first cell's text and image; answers where it went, -1 on failure.
int InsertRow(HWND list, int row, const char* text, int image, LPARAM param = 0);
void SetCellText(HWND list, int row, int cell, const char* text);
void SetRowImage(HWND list, int row, int image);
int RowCount(HWND list);
void RemoveRows(HWND list);

} // namespace velk
