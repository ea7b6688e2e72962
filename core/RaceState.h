// The race state shared by every window: the contestant record, its two
// tables, the settings read from the configuration and the race flags.
// Plain data that the control dialog owns. Each part has one writer: the
// race session the tables and flags (the roster loader and the scoring
// dialog only through it), the options dialog the settings, the output
// window the weekly sums. No Windows header, so the race rules that work on
// it build and test on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int MAX_CONTESTANTS = 8;
constexpr int NAME_BYTES = 12;            // 11 bytes of text and the NUL
constexpr int32_t NO_TIME = 8880000;      // never started when the race ended
constexpr uint32_t TIME_CEILING = 88880000;

struct Contestant {
    char name[NAME_BYTES];
    void* faceImage;      // a GpImage owned by the output window, opaque here
    int32_t timing;       // 1 while the clock runs
    uint32_t startTick;   // 0 = never started
    uint32_t stopTick;
    int32_t elapsedMs;
    int32_t score;
    int32_t place;
    int32_t placed;
};

// On 32-bit Windows, every field but the name is 32 bits wide, at the offsets
// the record has always had.
static_assert(sizeof(void*) != 4 ||
                  (offsetof(Contestant, faceImage) == 12 && offsetof(Contestant, timing) == 16 &&
                   offsetof(Contestant, startTick) == 20 && offsetof(Contestant, stopTick) == 24 &&
                   offsetof(Contestant, elapsedMs) == 28 && offsetof(Contestant, score) == 32 &&
                   offsetof(Contestant, place) == 36 && offsetof(Contestant, placed) == 40 &&
                   sizeof(Contestant) == 44),
              "the contestant record's 32-bit layout");

// The two tables: the current race, and the sums of the week. Entry i of both
// is the same contestant.
extern Contestant* contestants;
extern Contestant* weeklyTotals;
// Both tables made, zero-filled, with no race on them and the output window
// not yet placed; and freed again.
void allocateRaceTables();
void freeRaceTables();

extern int contestantCount;
extern int raceRunning;
extern int resultsReady;
// The mode of the race the table holds: the settings' until a race starts,
// then that race's (a race resumed from its journal keeps its own) until the
// table is cleared.
extern int raceIsZhangai;

// Settings, named after their configuration keys.
extern int scoreInit;
extern int scoreStep;
extern std::string raceTitle;
extern std::string tips;
extern uint32_t clrStr;     // ARGB
extern uint32_t clrDigi;    // ARGB
extern int isZhangai;
extern int width;
extern int height;

// Screen and output geometry.
extern int screenWidth;
extern int screenHeight;
extern int outputEnabled;
extern int outputPlaced;
struct IntRect { int left, top, right, bottom; };
extern IntRect outputRect;
