// A contestant's clock: the start/stop rule of the number keys, and the undo
// history of one race, kept as plain data beside the contestant table.
#pragma once

#include <cstdint>
#include <vector>

#include "core/RaceState.h"

enum class ClockAction { Start, Stop, Restart };

// What the contestant's key does now: stops a running clock, else starts it
// (again, from zero, when it had run before).
ClockAction nextClockAction(const Contestant& c);

// Carries that out at tick `now`. A start tick of 0 means "never started", so
// at the one tick in 49.7 days where the count reads 0 the start is taken a
// millisecond on.
ClockAction toggleClockAt(Contestant& c, uint32_t now);

struct ClockFields {
    int32_t timing;
    uint32_t startTick;
    uint32_t stopTick;
};
ClockFields clockFieldsOf(const Contestant& c);

// The clock actions of the race in progress, newest last. Undoing one puts
// the contestant's clock back as it was before the action: an undone stop
// runs on from its first start, an undone restart shows its stopped time
// again. The history starts empty with every race, so undo never reaches
// into the race before.
class ClockHistory {
public:
    void clear() { steps_.clear(); }
    void record(int contestant, const Contestant& before);
    // The contestant whose clock went back, or -1 when there is nothing to undo.
    int undo(Contestant* table);
    size_t size() const { return steps_.size(); }
    // The contestant the next undo would put back, or -1.
    int lastContestant() const { return steps_.empty() ? -1 : steps_.back().contestant; }

private:
    struct Step {
        int contestant;
        ClockFields before;
    };
    std::vector<Step> steps_;
};
