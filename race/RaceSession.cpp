#include "race/RaceSession.h"

#include "core/TextFields.h"
#include "records/RecordLines.h"

#include <cstdlib>

namespace {
// A spreadsheet that writes a time stamp again may drop its seconds or round
// them to the minute.
constexpr int64_t kStampSlackSeconds = 60;
}  // namespace

RaceMode raceModeOf(bool obstacle, int scoreInit) { return RaceMode{modeText(obstacle), obstacle ? 1 : 0, scoreInit}; }

RaceSession::RaceSession(SharedRace race) : race_(race), settings_(raceModeOf(false, 0)) { setPhase(Phase::Ready); }

void RaceSession::setPhase(Phase phase) {
    phase_ = phase;
    *race_.running = phase == Phase::Running ? 1 : 0;
    showMode();
}

void RaceSession::showMode() { *race_.obstacle = mode().isZhangai ? 1 : 0; }

void RaceSession::useSettings(const RaceMode& mode) {
    settings_ = mode;
    showMode();
}

RaceStep RaceSession::changed(std::string journalLine) const {
    if (!journalOwned_) return RaceStep{true, RaceStep::Journal::Nothing, {}};
    return RaceStep{true, RaceStep::Journal::Append, {std::move(journalLine)}};
}

// The race as the journal opens it: its roster, then the clocks and scores
// the table already holds (none at a start).
RaceStep RaceSession::raceLines(RaceStep::Journal what, JournalClock now) const {
    if (!journalOwned_) return RaceStep{true, RaceStep::Journal::Nothing, {}};
    return RaceStep{true, what, journalRaceLines(mode_.modeText, mode_.isZhangai, mode_.scoreInit, startWallMs_,
                                              race_.table, *race_.count, now)};
}

bool RaceSession::clear() {
    if (phase_ == Phase::Running) return false;
    ended_ = EndedRace();
    *race_.resultsReady = 0;
    setPhase(Phase::Ready);
    return true;
}

RaceStep RaceSession::start(JournalClock now, bool journalFree) {
    if (phase_ == Phase::Running) return RaceStep();
    clear();
    mode_ = settings_;
    startWallMs_ = now.wallMs;
    history_.clear();
    journalOwned_ = journalFree;
    // Without a journal of its own the operator was told so already.
    journalWarned_ = !journalFree;
    setPhase(Phase::Running);
    return raceLines(RaceStep::Journal::Append, now);
}

RaceStep RaceSession::toggleClock(int i, JournalClock now) {
    if (phase_ != Phase::Running || i < 0 || i >= *race_.count) return RaceStep();
    Contestant& c = race_.table[i];
    const ClockAction action = nextClockAction(c);
    history_.record(i, c);
    toggleClockAt(c, now.tick);
    return changed(journalClockLine(action, i, now));
}

RaceStep RaceSession::undo(JournalClock now) {
    const int i = phase_ == Phase::Running ? history_.undo(race_.table) : -1;
    return i < 0 ? RaceStep() : changed(journalUndoLine(i, now));
}

bool RaceSession::canScore(int i) const {
    return phase_ == Phase::Running && mode_.isZhangai && i >= 0 && i < *race_.count;
}

RaceStep RaceSession::changeScore(int i, const ScoreChange& change, JournalClock now) {
    if (!canScore(i)) return RaceStep();
    int32_t& score = race_.table[i].score;
    switch (change.kind) {
    case ScoreChange::Kind::Set: score = change.value; break;
    case ScoreChange::Kind::Add: score = saturatingAdd(score, change.value); break;
    case ScoreChange::Kind::Subtract: score = saturatingSub(score, change.value); break;
    }
    return changed(journalScoreLine(i, score, now));
}

RaceSession::Undo RaceSession::undoMeaning() const {
    if (phase_ == Phase::Running) return Undo::ClockAction;
    return takeBackNeeds() == TakeBack::None ? Undo::Nothing : Undo::EndOfRace;
}

RaceStep RaceSession::end(const std::string& stamp, JournalClock now) {
    if (phase_ != Phase::Running) return RaceStep();
    history_.clear();
    ended_ = EndedRace();
    ended_.canTakeBack = true;
    ended_.journaled = journalOwned_;
    ended_.count = *race_.count;
    parseTimeStamp(stamp, &ended_.time);
    for (int i = 0; i < *race_.count; ++i) {
        Contestant& c = race_.table[i];
        if (c.startTick == 0) {
            c.elapsedMs = NO_TIME;
            continue;
        }
        if (c.timing == 1) {
            c.timing = 0;
            c.stopTick = now.tick;
            ended_.stoppedByEnd |= 1u << i;
        }
        c.elapsedMs = (int32_t)(c.stopTick - c.startTick);
    }
    // The journal says which block it waits for before the block is written.
    RaceStep step = changed(journalEndLine(stamp, now));
    waiting_.push_back(raceRecordBlock(mode_.modeText, stamp, race_.table, *race_.count));
    *race_.resultsReady = 1;
    setPhase(Phase::Ended);
    return step;
}

RaceStep RaceSession::abandon() {
    if (phase_ != Phase::Running) return RaceStep();
    history_.clear();
    setPhase(Phase::Ready);
    return RaceStep{true, journalOwned_ ? RaceStep::Journal::Remove : RaceStep::Journal::Nothing, {}};
}

void RaceSession::blockWritten(const AppendedBytes& appended) {
    if (waiting_.empty()) return;
    waiting_.erase(waiting_.begin());
    // The newest block is the race just ended: what it appended is what
    // taking its end back removes.
    if (waiting_.empty() && ended_.canTakeBack) {
        ended_.written = true;
        ended_.inFile = true;
        ended_.appended = appended;
    }
}

RaceStep RaceSession::afterWriting() const {
    if (!waiting_.empty() || !journalOwned_ || phase_ == Phase::Running) return RaceStep();
    return RaceStep{false, RaceStep::Journal::Remove, {}};
}

bool RaceSession::journalFailed() {
    if (journalWarned_) return false;
    journalWarned_ = true;
    return true;
}

RaceSession::TakeBack RaceSession::takeBackNeeds() const {
    if (phase_ != Phase::Ended || !ended_.canTakeBack) return TakeBack::None;
    return ended_.written ? TakeBack::Written : TakeBack::Waiting;
}

RaceStep RaceSession::takeBack(JournalClock now) {
    const TakeBack need = takeBackNeeds();
    if (need == TakeBack::None) return RaceStep();
    if (need == TakeBack::Waiting && !waiting_.empty()) waiting_.pop_back();
    for (int i = 0; i < *race_.count; ++i) {
        Contestant& c = race_.table[i];
        if (ended_.stoppedByEnd & (1u << i)) c.timing = 1;
        c.elapsedMs = 0;
    }
    // A race that went without a journal (one an earlier run left was in the
    // way) goes on without: that file is still the operator's.
    journalOwned_ = ended_.journaled;
    journalWarned_ = false;
    ended_ = EndedRace();
    history_.clear();
    *race_.resultsReady = 0;
    setPhase(Phase::Running);
    return raceLines(RaceStep::Journal::Replace, now);
}

bool RaceSession::applyCorrection(const RecordsChange& change) {
    const bool justEnded = phase_ == Phase::Ended && ended_.inFile && change.lastRace &&
                           (int)change.raceRows == ended_.count &&
                           std::llabs(toSerialSeconds(change.raceTime) - toSerialSeconds(ended_.time)) <
                               kStampSlackSeconds;
    if (!justEnded) return false;
    ended_.canTakeBack = false;
    if (change.voided) {
        ended_ = EndedRace();
        // The board of a race that no longer counts goes.
        *race_.resultsReady = 0;
        return true;
    }
    if (change.row >= (std::size_t)*race_.count) return true;
    Contestant& c = race_.table[change.row];
    c.elapsedMs = change.elapsedMs;
    c.score = change.score;
    // The list reads the clock: it shows the corrected time too.
    const bool timed = change.elapsedMs != NO_TIME && change.elapsedMs >= 0;
    c.timing = 0;
    c.startTick = timed ? (c.startTick ? c.startTick : 1) : 0;
    c.stopTick = c.startTick + (uint32_t)(timed ? change.elapsedMs : 0);
    return true;
}

RaceStep RaceSession::resume(const JournalRace& race, JournalClock now) {
    if (phase_ == Phase::Running) return RaceStep();
    clear();
    mode_ = RaceMode{race.modeText, race.isZhangai, race.scoreInit};
    resumeClocks(race, race_.table, now);
    *race_.count = race.count;
    startWallMs_ = race.startWallMs;
    history_.clear();
    journalOwned_ = true;
    journalWarned_ = false;
    setPhase(Phase::Running);
    return raceLines(RaceStep::Journal::Replace, now);
}
