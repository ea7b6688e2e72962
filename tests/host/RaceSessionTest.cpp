// A race's life through the session, state by state: what each step does to
// the table and the flags the windows read, what it writes to the journal,
// the blocks for the records file, taking back an end, and a correction of
// the race just ended made in the records file.
#include "race/RaceSession.h"

#include "core/TextFields.h"
#include "race/Roster.h"

#include <gtest/gtest.h>

namespace {

using Journal = RaceStep::Journal;

class RaceSessionTest : public ::testing::Test {
protected:
    void SetUp() override { count = loadRosterInto({"张伟", "李娜", "王芳"}, table, 0); }

    JournalClock at(uint32_t tick) { return JournalClock{tick, start.wallMs + (tick - start.tick)}; }
    // The journal's lines so far, as the file would hold them.
    void keep(const RaceStep& step) {
        if (step.journal == Journal::Replace || step.journal == Journal::Remove) journal.clear();
        for (const std::string& line : step.lines) journal += line + "\n";
    }
    RaceStep startIn(const RaceMode& mode, JournalClock at, bool journalFree) {
        session.useSettings(mode);
        return session.start(at, journalFree);
    }
    void runRace() {
        keep(startIn(RaceMode{"计时赛", 0, 0}, start, true));
        keep(session.toggleClock(0, at(101000)));   // 张伟 from 101 s
        keep(session.toggleClock(1, at(102000)));   // 李娜 from 102 s
        keep(session.toggleClock(0, at(162345)));   // 张伟 stops: 61 345 ms
        keep(session.end("2026-12-09 10:05:07", at(3825450)));  // 李娜 runs 1:02:03.45
    }

    Contestant table[MAX_CONTESTANTS] = {};
    int count = 0, running = 0, resultsReady = 0, obstacle = 0;
    RaceSession session{SharedRace{table, &count, &running, &resultsReady, &obstacle}};
    const JournalClock start{100000, toSerialMs(LocalTime{2026, 12, 9, 10, 0, 0}, 0)};
    std::string journal;
};

TEST_F(RaceSessionTest, ARaceRunsEndsAndLeavesOneBlockAndNoJournal) {
    EXPECT_EQ(session.phase(), RaceSession::Phase::Ready);
    EXPECT_EQ(session.undoMeaning(), RaceSession::Undo::Nothing);
    keep(startIn(RaceMode{"计时赛", 0, 0}, start, true));
    EXPECT_EQ(session.undoMeaning(), RaceSession::Undo::ClockAction);
    EXPECT_EQ(running, 1);
    EXPECT_FALSE(session.clear());  // refused while it runs
    EXPECT_FALSE(session.toggleClock(3, at(100500)).changed);  // beyond the roster
    EXPECT_FALSE(session.undo(at(100600)).changed);            // nothing to undo
    keep(session.toggleClock(0, at(101000)));
    keep(session.toggleClock(0, at(102000)));
    keep(session.toggleClock(0, at(103000)));  // a restart by mistake ...
    keep(session.undo(at(104000)));            // ... undone: 1 000 ms again
    keep(session.toggleClock(2, at(105000)));
    EXPECT_EQ(journal.substr(journal.find("name,1,")),
              "name,1,张伟\nname,2,李娜\nname,3,王芳\n"
              "start,1,tick=101000,wall=2026-12-09 10:00:01.000\n"
              "stop,1,tick=102000,wall=2026-12-09 10:00:02.000\n"
              "restart,1,tick=103000,wall=2026-12-09 10:00:03.000\n"
              "undo,1,tick=104000,wall=2026-12-09 10:00:04.000\n"
              "start,3,tick=105000,wall=2026-12-09 10:00:05.000\n");

    keep(session.end("2026-12-09 10:05:07", at(166789)));
    EXPECT_EQ(session.phase(), RaceSession::Phase::Ended);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(resultsReady, 1);
    EXPECT_EQ(table[0].elapsedMs, 1000);
    EXPECT_EQ(table[1].elapsedMs, NO_TIME);
    EXPECT_EQ(table[2].elapsedMs, 61789);
    EXPECT_NE(journal.find("\nend,stamp=2026-12-09 10:05:07,tick=166789,"), std::string::npos);
    ASSERT_EQ(session.waitingBlocks().size(), 1u);
    EXPECT_EQ(session.waitingBlocks()[0],
              (std::vector<std::string>{"计时赛,2026-12-09 10:05:07", "张伟,1000,0", "李娜,8880000,0",
                                        "王芳,61789,0", ""}));
    // The journal stays until the block is in the file.
    EXPECT_EQ(session.afterWriting().journal, Journal::Nothing);
    EXPECT_EQ(session.undoMeaning(), RaceSession::Undo::EndOfRace);
    session.blockWritten(AppendedBytes{40, "block"});
    EXPECT_EQ(session.afterWriting().journal, Journal::Remove);
    session.journalRemoved();
    EXPECT_EQ(session.afterWriting().journal, Journal::Nothing);
    EXPECT_TRUE(session.clear());
    EXPECT_EQ(resultsReady, 0);
    EXPECT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::None);
    EXPECT_EQ(session.undoMeaning(), RaceSession::Undo::Nothing);
    // Nor is a running race's journal ever removed, whatever was written.
    keep(session.start(at(170000), true));
    session.blockWritten(AppendedBytes{80, "block"});
    EXPECT_EQ(session.afterWriting().journal, Journal::Nothing);
}

// Two races ended with neither block written: taking back the second drops
// only its own block, and once the first is written the second's take-back
// still only drops the waiting one.
TEST_F(RaceSessionTest, TakingBackTheLaterOfTwoWaitingBlocksDropsOnlyItsOwn) {
    runRace();
    session.start(at(3900000), true);
    session.end("2026-12-09 11:10:00", at(3910000));
    ASSERT_EQ(session.waitingBlocks().size(), 2u);
    session.blockWritten(AppendedBytes{0, "the first"});
    EXPECT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::Waiting);
    session.takeBack(at(3920000));
    EXPECT_TRUE(session.waitingBlocks().empty());
}

// The end taken back before its block was written: the block is dropped,
// the clock the end stopped runs on, and a crash right after comes back
// from the journal written afresh exactly as the race stands.
TEST_F(RaceSessionTest, AnEndTakenBackBeforeItsBlockWasWrittenRunsOnAndSurvivesACrash) {
    runRace();
    ASSERT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::Waiting);
    const RaceStep back = session.takeBack(at(3830000));
    keep(back);
    EXPECT_EQ(back.journal, Journal::Replace);
    EXPECT_TRUE(session.waitingBlocks().empty());
    EXPECT_EQ(running, 1);
    EXPECT_EQ(resultsReady, 0);
    EXPECT_EQ(table[1].timing, 1);   // stopped by the end: runs on from 102 s
    EXPECT_EQ(table[0].timing, 0);   // stopped before: keeps 61 345 ms
    EXPECT_EQ(table[0].stopTick - table[0].startTick, 61345u);

    const JournalRace crashed = readJournal(journal);
    ASSERT_TRUE(crashed.valid);
    EXPECT_FALSE(crashed.ended);
    Contestant resumed[MAX_CONTESTANTS] = {};
    resumeClocks(crashed, resumed, at(3900000));
    EXPECT_EQ(resumed[0].stopTick - resumed[0].startTick, 61345u);
    EXPECT_EQ(resumed[1].timing, 1);
    EXPECT_EQ(resumed[1].startTick, 102000u);

    keep(session.end("2026-12-09 11:05:00", at(3900000)));
    ASSERT_EQ(session.waitingBlocks().size(), 1u);
    EXPECT_EQ(session.waitingBlocks()[0][2], "李娜,3798000,0");
}

TEST_F(RaceSessionTest, AWrittenEndIsTakenBackByItsOwnBytesOnly) {
    runRace();
    session.blockWritten(AppendedBytes{120, "计时赛,2026-12-09 10:05:07\r\n..."});
    keep(session.afterWriting());
    session.journalRemoved();
    ASSERT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::Written);
    EXPECT_EQ(session.endedBlock().at, 120u);
    const RaceStep back = session.takeBack(at(3830000));
    // The journal that went with the block comes back.
    EXPECT_EQ(back.journal, Journal::Replace);
    EXPECT_TRUE(session.ownsJournal());
    EXPECT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::None);
}

// The race just ended is the file's last race, known by its place: the time
// stamp a spreadsheet wrote again, or one the race before shares.
TEST_F(RaceSessionTest, ACorrectionOfTheRaceJustEndedShowsAndClosesItsTakeBack) {
    runRace();
    RecordsChange change;
    parseRecordTimeStamp("2026/12/9 10:05", &change.raceTime);
    change.raceRows = 3;
    change.row = 1;
    change.elapsedMs = 3723450;
    change.score = 0;
    EXPECT_FALSE(session.applyCorrection(change));  // its block is not in the file yet
    session.blockWritten(AppendedBytes{0, "..."});
    EXPECT_FALSE(session.applyCorrection(change));  // an earlier race of the same minute
    change.lastRace = true;
    change.raceRows = 2;
    EXPECT_FALSE(session.applyCorrection(change));  // not this race's rows
    change.raceRows = 3;
    parseRecordTimeStamp("2026-12-09 10:06:07", &change.raceTime);
    EXPECT_FALSE(session.applyCorrection(change));  // a whole minute off: another race
    parseRecordTimeStamp("2026-12-09 10:06:06", &change.raceTime);
    ASSERT_TRUE(session.applyCorrection(change));
    EXPECT_EQ(table[1].elapsedMs, 3723450);
    EXPECT_EQ(table[1].stopTick - table[1].startTick, 3723450u);
    EXPECT_EQ(session.takeBackNeeds(), RaceSession::TakeBack::None);
    EXPECT_EQ(session.undoMeaning(), RaceSession::Undo::Nothing);
    EXPECT_EQ(resultsReady, 1);
    // Corrected to 无成绩, the list shows no clock at all.
    change.row = 0;
    change.elapsedMs = NO_TIME;
    ASSERT_TRUE(session.applyCorrection(change));
    EXPECT_EQ(table[0].startTick, 0u);
    EXPECT_EQ(table[0].stopTick, 0u);

    change.voided = true;
    ASSERT_TRUE(session.applyCorrection(change));
    EXPECT_EQ(resultsReady, 0);
    change.voided = false;
    EXPECT_FALSE(session.applyCorrection(change));  // that race is gone
}

// A journal an earlier run left was in the way: the race runs without one,
// and so does its end taken back; a failed write is told once per race.
TEST_F(RaceSessionTest, WithoutAJournalOfItsOwnNothingIsWrittenAndFailuresAreToldOnce) {
    const RaceStep first = startIn(RaceMode{"障碍赛", 1, 5}, start, false);
    EXPECT_TRUE(first.changed);
    EXPECT_EQ(first.journal, Journal::Nothing);
    EXPECT_EQ(session.toggleClock(0, at(101000)).journal, Journal::Nothing);
    EXPECT_EQ(session.changeScore(0, ScoreChange{ScoreChange::Kind::Add, 2}, at(101500)).journal, Journal::Nothing);
    EXPECT_EQ(session.undo(at(101600)).journal, Journal::Nothing);
    session.end("2026-12-09 10:05:07", at(102000));
    EXPECT_EQ(session.waitingBlocks()[0][0], "障碍赛,2026-12-09 10:05:07");
    EXPECT_EQ(session.takeBack(at(103000)).journal, Journal::Nothing);
    EXPECT_FALSE(session.ownsJournal());
    EXPECT_EQ(session.abandon().journal, Journal::Nothing);

    startIn(RaceMode{"计时赛", 0, 0}, start, true);
    EXPECT_TRUE(session.journalFailed());
    EXPECT_FALSE(session.journalFailed());
    // The race taken back after its end is told of a failure again.
    session.end("2026-12-09 10:05:07", at(102000));
    session.takeBack(at(103000));
    EXPECT_TRUE(session.journalFailed());
    EXPECT_EQ(session.abandon().journal, Journal::Remove);
}

// Only an obstacle race that runs takes a score, and a score at the edge of
// its range stays there.
TEST_F(RaceSessionTest, ScoresChangeOnlyInAnObstacleRaceAndStayInTheirRange) {
    EXPECT_FALSE(session.canScore(0));  // no race
    startIn(RaceMode{"计时赛", 0, 0}, start, true);
    EXPECT_FALSE(session.canScore(0));
    EXPECT_FALSE(session.changeScore(0, ScoreChange{ScoreChange::Kind::Set, 9}, at(101000)).changed);
    EXPECT_EQ(table[0].score, 0);
    session.abandon();
    startIn(RaceMode{"障碍赛", 1, 0}, start, true);
    EXPECT_TRUE(session.canScore(2));
    EXPECT_FALSE(session.canScore(3));  // beyond the roster of three
    EXPECT_FALSE(session.canScore(-1));
    const RaceStep set = session.changeScore(2, ScoreChange{ScoreChange::Kind::Set, 2147483646}, at(101000));
    EXPECT_EQ(set.lines, std::vector<std::string>{journalScoreLine(2, 2147483646, at(101000))});
    session.changeScore(2, ScoreChange{ScoreChange::Kind::Add, 5}, at(102000));
    EXPECT_EQ(table[2].score, 2147483647);
    session.changeScore(1, ScoreChange{ScoreChange::Kind::Subtract, -2147483647 - 1}, at(103000));
    EXPECT_EQ(table[1].score, 2147483647);
    session.changeScore(0, ScoreChange{ScoreChange::Kind::Subtract, 3}, at(104000));
    EXPECT_EQ(table[0].score, -3);
    session.end("2026-12-09 10:05:07", at(105000));
    EXPECT_FALSE(session.canScore(0));  // the race is over
}

TEST_F(RaceSessionTest, ARaceLeftInAJournalRunsOnInItsOwnMode) {
    runRace();
    session.blockWritten(AppendedBytes{0, "..."});
    session.clear();
    Contestant left[MAX_CONTESTANTS] = {};
    fitName("甲", left[0].name);
    std::string lines;
    for (const std::string& line : journalRaceLines("障碍赛", 1, 7, start.wallMs, left, 1, start)) lines += line + "\n";
    lines += journalClockLine(ClockAction::Start, 0, at(101000)) + "\n";
    const RaceStep step = session.resume(readJournal(lines), at(110000));
    EXPECT_EQ(step.journal, Journal::Replace);
    EXPECT_EQ(session.mode().modeText, "障碍赛");
    EXPECT_EQ(session.mode().scoreInit, 7);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(table[0].startTick, 101000u);
    EXPECT_STREQ(table[0].name, "甲");
    EXPECT_NE(step.lines[1].find("mode=障碍赛,isZhangai=1,scoreInit=7,contestants=1"), std::string::npos);
    EXPECT_EQ(obstacle, 1);  // the board shows its scores
    // The options say 计时赛: once the resumed race is over, the next one runs so.
    session.end("2026-12-09 10:05:07", at(120000));
    EXPECT_EQ(session.waitingBlocks()[0][0], "障碍赛,2026-12-09 10:05:07");
    EXPECT_EQ(obstacle, 1);
    // Options changed meanwhile change the next race, not the one on the table.
    session.useSettings(RaceMode{"计时赛", 0, 3});
    EXPECT_EQ(obstacle, 1);
    EXPECT_EQ(session.mode().scoreInit, 7);
    session.clear();
    EXPECT_EQ(obstacle, 0);
    EXPECT_EQ(session.mode().scoreInit, 3);
    session.start(at(130000), true);
    session.end("2026-12-09 10:06:00", at(140000));
    EXPECT_EQ(session.waitingBlocks()[1][0], "计时赛,2026-12-09 10:06:00");
}

}  // namespace
