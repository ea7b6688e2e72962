#include "race/RaceClock.h"

ClockAction nextClockAction(const Contestant& c) {
    if (c.timing == 1) return ClockAction::Stop;
    return c.startTick != 0 ? ClockAction::Restart : ClockAction::Start;
}

ClockAction toggleClockAt(Contestant& c, uint32_t now) {
    const ClockAction action = nextClockAction(c);
    if (action == ClockAction::Stop) {
        c.stopTick = now;
        c.timing = 0;
    } else {
        c.startTick = now ? now : 1;
        c.timing = 1;
    }
    return action;
}

ClockFields clockFieldsOf(const Contestant& c) { return ClockFields{c.timing, c.startTick, c.stopTick}; }

void ClockHistory::record(int contestant, const Contestant& before) {
    steps_.push_back(Step{contestant, clockFieldsOf(before)});
}

int ClockHistory::undo(Contestant* table) {
    if (steps_.empty()) return -1;
    const Step step = steps_.back();
    steps_.pop_back();
    Contestant& c = table[step.contestant];
    c.timing = step.before.timing;
    c.startTick = step.before.startTick;
    c.stopTick = step.before.stopTick;
    return step.contestant;
}
