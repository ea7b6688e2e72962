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
        std::string_view text(typed.score);
        const std::size_t first = text.find_first_not_of(' ');
        text = first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(' ') + 1 - first);
        if (!parseInt32Field(text, &value)) return ResultEdit::BadScore;
    }
    *elapsedMs = ms;
    *score = value;
    return ResultEdit::Taken;
}
