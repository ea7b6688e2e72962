// Export: a picture of the scoreboard exactly as the audience sees it, and a
// table of both boards for a spreadsheet, side by side in data\export\. The
// operator is told where they are, or what could not be saved.
#pragma once

#include <windows.h>

class COutputWnd;

void exportScoreboard(COutputWnd& output, HWND owner);
