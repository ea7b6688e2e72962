// Export: a picture of the scoreboard exactly as the audience sees it, and a
// table of both boards for a spreadsheet, side by side in data\export\. The
// operator is told where they are, or what could not be saved.
#pragma once

#include "core/DataFolder.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class COutputWnd;

void exportScoreboard(const DataFolder& folder, COutputWnd& output, HWND owner);

// Pictures and a table side by side in the data folder's export\, under
// these names: the pictures first (savePicture(index, path, reason) gives
// the reason when one cannot be saved), then the table, text of the program,
// as UTF-8 with a byte-order mark, which every spreadsheet reads without
// mojibake; the table is saved even when a picture is not. The operator is
// told where they are, and which could not be saved and why; `what` names a
// picture there.
using SavePicture = std::function<bool(std::size_t index, const std::string& path, std::string* reason)>;
void exportPicturesAndTable(const DataFolder& folder, HWND owner, const std::vector<std::string>& pictureNames,
                            const char* what, const SavePicture& savePicture, const std::string& tableName,
                            const std::string& table);
