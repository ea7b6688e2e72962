// What 修改成绩 makes of its boxes, and what a change to the records file
// tells the race just ended.
#pragma once

#include "core/TimeStamp.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One result in the edit dialog's boxes: the time text and 无成绩, and the
// score text.
struct ResultFields {
    std::string time;
    bool noTime = false;
    std::string score;
};
ResultFields shownResult(int32_t elapsedMs, int32_t score);

// What OK makes of the boxes. A box the operator left as it was shown keeps
// the stored value to the millisecond (the box shows hundredths, and no
// hours' worth of a time is lost); only what was changed is read. In a timed
// race the score is never read. *elapsedMs and *score hold the stored values
// and get the new ones; on a refusal they are left alone.
enum class ResultEdit { Taken, BadTime, BadScore };
ResultEdit readEditedResult(const ResultFields& shown, const ResultFields& typed, bool obstacle,
                            int32_t* elapsedMs, int32_t* score);

// A change the operator made to a race of the records file, as the race
// just ended must know it: which race (by its header time, its rows and
// whether it was the file's last), and the row's new result, or the race
// voided.
struct RecordsChange {
    LocalTime raceTime = {};
    std::size_t raceRows = 0;
    bool lastRace = false;
    bool voided = false;
    std::size_t row = 0;
    int32_t elapsedMs = 0;
    int32_t score = 0;
};
