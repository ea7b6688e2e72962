// A certificate drawn and saved: the plan of output/CertificatePlan on a
// page of its size, its texts as outlines in the title font, as the
// scoreboard draws its own.
#pragma once

#include "output/CertificatePlan.h"

#include <string>

// `photoPath` empty or missing: no photo. False, and why in *reason, when the
// page cannot be made or saved.
bool saveCertificate(const Certificate& certificate, const std::string& photoPath, const std::string& path,
                     std::string* reason);
