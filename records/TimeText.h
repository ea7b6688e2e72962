// Times as text: the time the control dialog's list and the output window
// show alike, 01'05.43" (minutes, seconds, hundredths; whole hours
// dropped); a stored time as 成绩管理 and the term board show it, hours
// included; and a time as an operator types it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/RaceState.h"

std::string formatTime(uint32_t ms);

// The contestant's clock as of nowTick: up to now while it runs, else its last
// run. Tick differences are unsigned, so the 49.7-day wrap of the tick count
// is harmless.
std::string clockText(const Contestant& c, uint32_t nowTick);

// A time as an operator types it into a box: 01'23.45", 1'23.45, 1:23.45,
// 83.45 or 83, or with hours 1:02:03.45 (blanks around it, and the full-width
// digits and signs a Chinese input method gives, its 。‘’“”： included, are
// taken too), in milliseconds. False when the text is none of these or not
// below NO_TIME; *ms is then left alone.
bool parseTypedTime(std::string_view text, int32_t* ms);

// A stored time as 成绩管理 shows it: as the boards show it below an hour,
// and from an hour on with its hours (1:02:03.45), in a form parseTypedTime
// reads back to the hundredth.
std::string resultTimeText(int32_t ms);
