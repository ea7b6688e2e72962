#include "records/RecordsEdit.h"

#include "core/RaceState.h"
#include "core/TextFields.h"
#include "records/TimeText.h"

ResultFields shownResult(int32_t elapsedMs, int32_t score) {
    const bool noTime = elapsedMs == NO_TIME || elapsedMs < 0;
    return ResultFields{noTime ? std::string() : resultTimeText(elapsedMs), noTime, getStrInt(score)};
}

ResultEdit readEditedResult(const ResultFields& shown, const ResultFields& typed, bool obstacle,
                            int32_t* elapsedMs, int32_t* score) {
    int32_t ms = *elapsedMs, value = *score;
    const bool timeTouched = typed.noTime != shown.noTime || (!typed.noTime && typed.time != shown.time);
    if (timeTouched && typed.noTime) ms = NO_TIME;
    else if (timeTouched && !parseTypedTime(typed.time, &ms)) return ResultEdit::BadTime;
    if (obstacle && typed.score != shown.score) {
        if (!parseInt32Field(trimBlanks(typed.score), &value)) return ResultEdit::BadScore;
    }
    *elapsedMs = ms;
    *score = value;
    return ResultEdit::Taken;
}
