// Export: a picture of the scoreboard exactly as the audience sees it, and a
// table of both boards for a spreadsheet, side by side in data\export\. The
// operator is told where they are, or what could not be saved.
#pragma once

#include "core/DataFolder.h"

#include <windows.h>

#include <functional>
#include <string>

class COutputWnd;

void exportScoreboard(const DataFolder& folder, COutputWnd& output, HWND owner);

// A picture and a table side by side in the data folder's export\, under these names: the
// picture first (savePicture gives the reason when it cannot), then the
// table, text of the program, as UTF-8 with a byte-order mark, which every
// spreadsheet reads without mojibake. The operator is told where both are,
// or which file could not be saved and why; `what` names the picture there.
void exportPictureAndTable(const DataFolder& folder, HWND owner, const std::string& pictureName, const char* what,
                           const std::function<bool(const std::string& path, std::string* reason)>& savePicture,
                           const std::string& tableName, const std::string& table);
