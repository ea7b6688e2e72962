// The journal of the race in progress: one line per change of the race,
// appended and flushed before the change shows, so that a race survives the
// program's death (a crash, a killed process, a power cut). It holds only the
// race that runs; once the race's block is in the records file the journal
// goes, so it can never disagree with that file.
//
// A person can read it: a comment line, the race line, one line per name,
// then the events in order, each with the tick count and the wall-clock time
// it was taken at:
//   race,start=2026-12-09 10:05:00.123,tick=123456,mode=计时赛,isZhangai=0,scoreInit=0,contestants=3
//   name,1,张伟
//   start,1,tick=125000,wall=2026-12-09 10:05:01.500
//   stop,1,tick=186234,wall=2026-12-09 10:06:02.734
//   restart,1 ...   undo,1 ...   score,2,15 ...
//   end,stamp=2026-12-09 10:10:00,tick=...,wall=...
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TimeStamp.h"
#include "race/RaceClock.h"
#include "core/RaceState.h"

// Wall-clock time in milliseconds on the scale of toSerialSeconds.
int64_t toSerialMs(const LocalTime& t, int ms);
// "2026-12-09 10:05:01.500"
std::string formatWallMs(int64_t serialMs);
bool parseWallMs(std::string_view text, int64_t* serialMs);

// The readings of both clocks at one moment.
struct JournalClock {
    uint32_t tick;
    int64_t wallMs;
};

// The lines that open a journal: the race and its roster as loaded, then the
// clocks and scores the table already holds (none at a race's start; all of
// them when a resumed race is written down afresh).
std::vector<std::string> journalRaceLines(const std::string& modeText, int isZhangai, int scoreInit,
                                          int64_t raceStartWallMs, const Contestant* table,
                                          int count, JournalClock now);
std::string journalClockLine(ClockAction action, int contestant, JournalClock at);
std::string journalUndoLine(int contestant, JournalClock at);
std::string journalScoreLine(int contestant, int32_t score, JournalClock at);
// Written just before the race's block goes to the records file, with the
// time stamp of its header, so that a journal left behind can tell whether
// its block made it.
std::string journalEndLine(const std::string& stamp, JournalClock at);

struct JournalRace {
    bool valid = false;  // the race line and its names were read
    std::string modeText;
    int isZhangai = 0;
    int scoreInit = 0;
    int64_t startWallMs = 0;
    int count = 0;
    Contestant table[MAX_CONTESTANTS] = {};  // clocks in the tick count of their time
    JournalClock last = {0, 0};              // the newest reading of both clocks
    bool ended = false;
    std::string endStamp;
    int stoppedClocks() const;
    int runningClocks() const;
};

// Replays a journal up to its last whole line (LF, CR LF or a CR alone ends
// one): a line cut off by a power cut and lines that make no sense are
// passed over.
JournalRace readJournal(std::string_view bytes);

// Whether the records file, in any encoding its reader takes, already holds
// the block of this ended race.
bool journalRaceRecorded(const JournalRace& race, std::string_view recordsBytes);

// What start-up makes of a journal left behind.
enum class ResumeOffer {
    Remove,          // nothing to keep: no race in it, or its block is written
    KeepUnreadable,  // no race can be read from it: kept aside for the operator
    Ask,             // a race to offer back
};
struct ResumeDecision {
    ResumeOffer offer = ResumeOffer::Remove;
    JournalRace race;
};
ResumeDecision decideResume(std::string_view journalBytes, std::string_view recordsBytes);

// What the operator is asked about a race a journal left behind.
std::string resumeQuestion(const JournalRace& race);

// The journal's clocks in today's tick count, into table. When the tick count
// ran on since the last reading (the program died, Windows did not) the ticks
// are kept as they are; after a restart of Windows the tick count began
// again, and a running clock counts the wall-clock time since that reading.
void resumeClocks(const JournalRace& race, Contestant* table, JournalClock now);
