// The time text shown by the control dialog's list and the output window
// alike: 01'05.43" (minutes, seconds, hundredths; whole hours dropped).
#pragma once

#include <cstdint>
#include <string>

#include "race/RaceState.h"

std::string formatTime(uint32_t ms);

// The contestant's clock as of nowTick: up to now while it runs, else its last
// run. Tick differences are unsigned, so the 49.7-day wrap of the tick count
// is harmless.
std::string clockText(const Contestant& c, uint32_t nowTick);
