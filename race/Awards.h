// Certificates (奖状) made for those a board honours: the school and the
// teacher asked first, then a PNG page for each in the class's
// export\奖状_<YYYY-MM-DD>\, none written over another. The operator is told
// the folder and may open it.
#pragma once

#include "core/DataFolder.h"
#include "output/Honours.h"

#include <windows.h>

#include <string>
#include <vector>

// `none`: what the operator is told when nobody is honoured.
void makeCertificates(HWND owner, const DataFolder& folder, const std::string& className, HonourKind kind,
                      const std::vector<Honoured>& honoured, const std::string& none);
