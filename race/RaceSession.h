// A race's whole life, decided without a window: Ready, Running and Ended;
// the clocks and their undo history; the blocks of ended races that wait
// for the records file; taking back the end of the race just ended; a
// correction of that race made in the records file afterwards; and what
// every step writes to the journal. Time comes in as a reading of both
// clocks, and what a file operation gave as an argument; what to write goes
// out as values (journal lines, blocks). The control dialog asks the
// operator, carries out the file work and draws.
#pragma once

#include "core/FileRules.h"
#include "core/TimeStamp.h"
#include "race/RaceClock.h"
#include "race/RaceJournal.h"
#include "core/RaceState.h"
#include "records/RecordsEdit.h"

#include <cstdint>
#include <string>
#include <vector>

// The race state every window reads: the globals of RaceState.h in the
// program, a test's own in the tests. Only the session writes it, but for
// the names that the roster loader puts in the table.
struct SharedRace {
    Contestant* table;
    int* count;
    int* running;
    int* resultsReady;
    int* obstacle;  // the mode of the race the table holds
};

// How a race is run, as the options said when it started.
struct RaceMode {
    std::string modeText;  // 计时赛 or 障碍赛, as the records file's header writes it
    int isZhangai = 0;
    int scoreInit = 0;
};
// The mode of the options.
RaceMode raceModeOf(bool obstacle, int scoreInit);

// A change the scoring dialog asks for.
struct ScoreChange {
    enum class Kind { Set, Add, Subtract } kind;
    int32_t value;
};

// What one step of the session did: whether the race changed (and so shows
// anew), and what the journal file must become.
struct RaceStep {
    enum class Journal { Nothing, Append, Replace, Remove };
    bool changed = false;
    Journal journal = Journal::Nothing;
    std::vector<std::string> lines;  // Append, Replace
};

class RaceSession {
public:
    enum class Phase { Ready, Running, Ended };

    explicit RaceSession(SharedRace race);

    Phase phase() const { return phase_; }
    // The options' mode: the next race runs in it, and the table shows it
    // while no race is on it.
    void useSettings(const RaceMode& mode);
    // The mode of the race the table holds: the options' while Ready, else
    // the race's own (a race resumed from its journal keeps the mode it was
    // run in, whatever the options say now).
    const RaceMode& mode() const { return phase_ == Phase::Ready ? settings_ : mode_; }

    // Ready or Ended → Ready, the race just ended forgotten: its results
    // leave the board and its end can no longer be taken back. Refused (false)
    // while a race runs.
    bool clear();

    // Ready or Ended → Running in the options' mode, on the roster just
    // loaded into the table. `journalFree`: no journal an earlier run left is
    // in the way (there was none, or it was moved aside); else this race runs
    // without a journal.
    RaceStep start(JournalClock now, bool journalFree);
    // The contestant's key: the clock starts, stops, or starts again from
    // zero at now.tick. Nothing outside a race or beyond the roster.
    RaceStep toggleClock(int contestant, JournalClock now);
    // The last clock action of this race, put back.
    RaceStep undo(JournalClock now);
    // Whether the contestant's score can be changed now: an obstacle race
    // runs and the contestant is in its roster.
    bool canScore(int contestant) const;
    // The score set, or raised or lowered by the value (staying at the edge
    // of the range rather than flipping sign).
    RaceStep changeScore(int contestant, const ScoreChange& change, JournalClock now);

    // What Backspace (and Ctrl+Z) means now: the last clock action of the
    // race running put back, or the end of the race just ended taken back
    // (takeBack, once the operator has said yes).
    enum class Undo { Nothing, ClockAction, EndOfRace };
    Undo undoMeaning() const;
    // Running → Ended at now.tick: the clocks still running stop, every
    // elapsedMs is set (NO_TIME for a clock never started), and the race's
    // block, headed by `stamp`, waits to be written. Its results show.
    RaceStep end(const std::string& stamp, JournalClock now);
    // Running → Ready without keeping the race (the program closes).
    RaceStep abandon();

    // The blocks that wait for the records file, oldest first.
    const std::vector<std::vector<std::string>>& waitingBlocks() const { return waiting_; }
    // The oldest waiting block reached the file, as `appended` says.
    void blockWritten(const AppendedBytes& appended);
    // Once no block waits, the journal of the race just ended goes: the
    // records file holds it now.
    RaceStep afterWriting() const;

    // Whether the journal file is this session's own. One an earlier run
    // left that could not be moved aside is the operator's, never written
    // to or removed.
    bool ownsJournal() const { return journalOwned_; }
    void journalRemoved() { journalOwned_ = false; }
    // A journal step failed: true the first time in a race, when the operator
    // is to be told (the race goes on in memory all the same).
    bool journalFailed();

    // Taking back the end of the race just ended: what it needs first.
    enum class TakeBack {
        None,     // no race to take back
        Waiting,  // its block never reached the file: it is only dropped
        Written,  // its block's bytes (endedBlock) must come out of the file
    };
    TakeBack takeBackNeeds() const;
    const AppendedBytes& endedBlock() const { return ended_.appended; }
    // Ended → Running: the clocks the end stopped run on from their own
    // start, those stopped before keep their times, the scores stay.
    RaceStep takeBack(JournalClock now);

    // A change the operator made in the records file. When it is to the race
    // just ended, the table follows it (a voided race's results leave the
    // board) and its end can no longer be taken back, since the file no
    // longer ends with what the end wrote; returns whether it was. That race
    // is found by its place: its block was the newest written, and only the
    // next race's end (which forgets this one) can follow it, so it is the
    // file's last race. Not by the text of its time stamp: a spreadsheet may
    // have written it again ("2026/12/9 10:05"), and the race before may have
    // ended in the same second.
    bool applyCorrection(const RecordsChange& change);

    // A race a journal left behind, run on (Ready → Running): its mode, its
    // roster, its clocks in today's tick count. The journal is written afresh.
    RaceStep resume(const JournalRace& race, JournalClock now);

private:
    struct EndedRace {
        bool inFile = false;     // its block is the file's last race
        bool canTakeBack = false;
        bool written = false;    // its block reached the file, as `appended`
        bool journaled = false;  // it had a journal of its own
        AppendedBytes appended;
        uint32_t stoppedByEnd = 0;  // one bit per contestant whose clock the end stopped
        LocalTime time = {};        // of its header
        int count = 0;
    };

    void setPhase(Phase phase);
    void showMode();
    RaceStep changed(std::string journalLine) const;
    RaceStep raceLines(RaceStep::Journal what, JournalClock now) const;

    SharedRace race_;
    Phase phase_ = Phase::Ready;
    RaceMode mode_;      // of the race running or just ended
    RaceMode settings_;
    int64_t startWallMs_ = 0;
    ClockHistory history_;
    std::vector<std::vector<std::string>> waiting_;
    EndedRace ended_;
    bool journalOwned_ = false;
    bool journalWarned_ = false;
};
