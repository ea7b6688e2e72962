// The race journal: what it writes, how a race is rebuilt from it after the
// program's death (cut-off and damaged journals included), and the clock
// arithmetic of resuming.
#include "race/RaceJournal.h"

#include "core/TextFields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int64_t wall(int y, int mo, int d, int h, int mi, int s, int ms) {
    return toSerialMs(LocalTime{y, mo, d, h, mi, s}, ms);
}

std::string join(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

// A race of three: 1 stopped, restarted by mistake and undone; 2 running;
// 3 scored but never started.
std::string sampleJournal() {
    Contestant table[MAX_CONTESTANTS] = {};
    fitName("张伟", table[0].name);
    fitName("李,娜", table[1].name);  // a comma in a name stays part of it
    fitName("王芳", table[2].name);
    for (int i = 0; i < 3; ++i) table[i].score = 5;
    const int64_t start = wall(2026, 12, 9, 10, 5, 0, 123);
    std::string j = join(journalRaceLines("障碍赛", 1, 5, start, table, 3, {1000, start}));
    auto at = [start](uint32_t tick) { return JournalClock{tick, start + (tick - 1000)}; };
    j += journalClockLine(ClockAction::Start, 0, at(2000)) + "\r\n";
    j += journalClockLine(ClockAction::Start, 1, at(2500)) + "\r\n";
    j += journalClockLine(ClockAction::Stop, 0, at(63234)) + "\r\n";
    j += journalClockLine(ClockAction::Restart, 0, at(64000)) + "\r\n";
    j += journalUndoLine(0, at(64500)) + "\r\n";
    j += journalScoreLine(2, -3, at(65000)) + "\r\n";
    return j;
}

TEST(RaceJournal, EveryKindOfEventIsReplayed) {
    const JournalRace race = readJournal(sampleJournal());
    ASSERT_TRUE(race.valid);
    EXPECT_EQ(race.modeText, "障碍赛");
    EXPECT_EQ(race.isZhangai, 1);
    EXPECT_EQ(race.scoreInit, 5);
    EXPECT_EQ(race.startWallMs, wall(2026, 12, 9, 10, 5, 0, 123));
    ASSERT_EQ(race.count, 3);
    EXPECT_STREQ(race.table[1].name, "李,娜");
    // The undone restart leaves 1 stopped with its time.
    EXPECT_EQ(race.table[0].timing, 0);
    EXPECT_EQ(race.table[0].stopTick - race.table[0].startTick, 61234u);
    EXPECT_EQ(race.table[1].timing, 1);
    EXPECT_EQ(race.table[1].startTick, 2500u);
    EXPECT_EQ(race.table[2].startTick, 0u);
    EXPECT_EQ(race.table[2].score, -3);
    EXPECT_EQ(race.table[0].score, 5);
    EXPECT_EQ(race.stoppedClocks(), 1);
    EXPECT_EQ(race.runningClocks(), 1);
    EXPECT_EQ(race.last.tick, 65000u);
    EXPECT_FALSE(race.ended);

    // The end stops what still ran, at the end's tick.
    const JournalRace ended =
        readJournal(sampleJournal() + journalEndLine("2026-12-09 10:10:00", {70000, 0}) + "\n");
    ASSERT_TRUE(ended.ended);
    EXPECT_EQ(ended.endStamp, "2026-12-09 10:10:00");
    EXPECT_EQ(ended.table[1].timing, 0);
    EXPECT_EQ(ended.table[1].stopTick, 70000u);
}

TEST(RaceJournal, ACutOffLineAndGarbageArePassedOver) {
    const std::string whole = sampleJournal();
    // A power cut in the middle of the last line: read up to the one before.
    const JournalRace cut = readJournal(whole.substr(0, whole.size() - 7));
    ASSERT_TRUE(cut.valid);
    EXPECT_EQ(cut.table[2].score, 5);
    EXPECT_EQ(cut.table[0].stopTick - cut.table[0].startTick, 61234u);

    // Lines that make no sense, anywhere, change nothing.
    std::string noisy = "stop,1,tick=5,wall=2026-12-09 10:00:00.000\r\n";  // before any race
    noisy += whole;
    noisy += "stop,9,tick=1,wall=2026-12-09 10:00:00.000\r\n";    // no such contestant
    noisy += "stop,2,tick=x,wall=2026-12-09 10:00:00.000\r\n";    // no tick
    noisy += "stop,2,tick=70000,wall=2026-13-09 10:00:00.000\r\n";  // no such month
    noisy += "score,3,abc,tick=1,wall=2026-12-09 10:00:00.000\r\n";
    noisy += "\xB1\xC8\xC8\xFC,,,\r\n\r\n";
    noisy += std::string("start,2\0,tick=1", 15) + "\r\n";
    const JournalRace same = readJournal(noisy);
    ASSERT_TRUE(same.valid);
    EXPECT_EQ(same.table[1].timing, 1);
    EXPECT_EQ(same.table[2].score, -3);
    EXPECT_EQ(same.last.tick, 65000u);

    // Lines ended by a CR alone, as an old editor writes them or a power cut
    // between CR and LF leaves the last one, read the same.
    std::string crOnly;
    for (char c : whole) if (c != '\n') crOnly += c;
    const JournalRace cr = readJournal(crOnly);
    EXPECT_EQ(cr.last.tick, 65000u);
    EXPECT_EQ(cr.table[0].stopTick - cr.table[0].startTick, 61234u);
    EXPECT_EQ(readJournal(whole.substr(0, whole.size() - 1)).last.tick, 65000u);

    // An undo that names a contestant beyond the roster, or another of the
    // roster than the last action's, undid nothing in memory, so it undoes
    // nothing here: 1 keeps its stopped time.
    std::string beyond = "race,start=2026-12-09 10:00:00.000,tick=100,mode=计时赛,isZhangai=0,"
                         "scoreInit=0,contestants=3\nname,1,A\nname,2,B\nname,3,C\n"
                         "start,1,tick=1000,wall=2026-12-09 10:00:01.000\n"
                         "stop,1,tick=2500,wall=2026-12-09 10:00:02.500\n"
                         "start,7,tick=3000,wall=2026-12-09 10:00:03.000\n"
                         "undo,7,tick=3500,wall=2026-12-09 10:00:03.500\n"
                         "undo,2,tick=3600,wall=2026-12-09 10:00:03.600\n";
    const JournalRace kept = readJournal(beyond);
    EXPECT_EQ(kept.table[0].timing, 0);
    EXPECT_EQ(kept.table[0].stopTick - kept.table[0].startTick, 1500u);

    EXPECT_FALSE(readJournal("").valid);
    EXPECT_FALSE(readJournal("race,start=2026-12-09 10:05:00.123,tick=1").valid);  // no line end
    EXPECT_FALSE(readJournal("\x01\x02\xFF garbage\nrace,start=yesterday\n").valid);
}

TEST(RaceJournal, AWrittenRaceIsKnownByItsTimeStampInTheRecordsFile) {
    const JournalRace ended =
        readJournal(sampleJournal() + journalEndLine("2026-12-09 10:10:00", {70000, 0}) + "\r\n");
    EXPECT_TRUE(journalRaceRecorded(ended, "障碍赛,2026-12-09 10:10:00\r\n张伟,61234,5\r\n\r\n"));
    // In another encoding, or saved again by a spreadsheet.
    EXPECT_TRUE(journalRaceRecorded(ended, "\xE9\x9A\x9C\xE7\xA2\x8D\xE8\xB5\x9B,2026-12-09 10:10:00,\n"));
    EXPECT_FALSE(journalRaceRecorded(ended, "障碍赛,2026-12-09 10:10:001\r\n"));
    EXPECT_FALSE(journalRaceRecorded(ended, "计时赛,2026-12-09 10:09:59\r\n"));
    // A race that never reached its end is never taken as written.
    EXPECT_FALSE(journalRaceRecorded(readJournal(sampleJournal()), "障碍赛,2026-12-09 10:10:00\r\n"));
    // Saved as "Unicode" (UTF-16 with its mark), either byte order.
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : std::string("\x9C\x96,2026-12-09 10:10:00\r\n")) {
        le += c, le += '\0';
        be += '\0', be += c;
    }
    EXPECT_TRUE(journalRaceRecorded(ended, le));
    EXPECT_TRUE(journalRaceRecorded(ended, be));
    EXPECT_FALSE(journalRaceRecorded(ended, le.substr(0, le.size() - 6)));

    // What start-up makes of each kind of journal left behind.
    const std::string endLine = journalEndLine("2026-12-09 10:10:00", {70000, 0}) + "\r\n";
    const std::string written = "障碍赛,2026-12-09 10:10:00\r\n";
    const struct {
        std::string journal, records;
        ResumeOffer offer;
    } cases[] = {
        {"", "", ResumeOffer::Remove},
        {sampleJournal().substr(0, 150), "", ResumeOffer::Remove},  // cut in its race line
        {"\x01\x02 garbage\r\n", "", ResumeOffer::KeepUnreadable},
        {sampleJournal(), written, ResumeOffer::Ask},
        {sampleJournal() + endLine, "", ResumeOffer::Ask},
        {sampleJournal() + endLine, written, ResumeOffer::Remove},
        {sampleJournal() + endLine, le, ResumeOffer::Remove},
    };
    for (const auto& c : cases) {
        const ResumeDecision d = decideResume(c.journal, c.records);
        EXPECT_EQ(d.offer, c.offer) << c.journal.size() << " " << c.records;
        EXPECT_EQ(d.race.valid, c.offer == ResumeOffer::Ask || !c.records.empty());
    }
}

TEST(RaceJournal, ResumedClocksCountTheTimeTheProgramWasDown) {
    const JournalRace race = readJournal(sampleJournal());
    const int64_t lastWall = race.last.wallMs;
    Contestant table[MAX_CONTESTANTS] = {};

    // Killed and started again under the same Windows: the ticks go on.
    resumeClocks(race, table, {65000 + 30000, lastWall + 30000});
    EXPECT_STREQ(table[1].name, "李,娜");
    EXPECT_EQ(table[0].stopTick - table[0].startTick, 61234u);
    EXPECT_EQ(table[1].startTick, 2500u);
    EXPECT_EQ(table[2].score, -3);

    // After a restart of Windows the tick count began again: the running
    // clock counts the wall-clock time since the last reading.
    resumeClocks(race, table, {40000, lastWall + 120000});
    EXPECT_EQ(table[0].timing, 0);
    EXPECT_EQ(table[0].stopTick - table[0].startTick, 61234u);
    EXPECT_EQ(table[1].timing, 1);
    EXPECT_EQ(40000u - table[1].startTick, (65000u - 2500u) + 120000u);
    EXPECT_EQ(table[2].startTick, 0u);
    EXPECT_EQ(table[2].timing, 0);

    // Across midnight the wall clock still counts on.
    std::string night = "race,start=2026-12-09 23:59:00.000,tick=100,mode=计时赛,isZhangai=0,"
                        "scoreInit=0,contestants=1\nname,1,赵磊\n"
                        "start,1,tick=1000,wall=2026-12-09 23:59:50.000\n";
    const JournalRace late = readJournal(night);
    ASSERT_TRUE(late.valid);
    resumeClocks(late, table, {5000, wall(2026, 12, 10, 0, 0, 20, 0)});
    EXPECT_EQ(5000u - table[0].startTick, 30000u);

    // A stopped clock whose moved start would read "never started" keeps its time.
    std::string zero = "race,start=2026-12-09 10:00:00.000,tick=100,mode=计时赛,isZhangai=0,"
                       "scoreInit=0,contestants=1\nname,1,A\n"
                       "start,1,tick=1000,wall=2026-12-09 10:00:01.000\n"
                       "stop,1,tick=1500,wall=2026-12-09 10:00:01.500\n";
    resumeClocks(readJournal(zero), table, {500, wall(2026, 12, 9, 11, 0, 0, 0)});
    EXPECT_NE(table[0].startTick, 0u);
    EXPECT_EQ(table[0].stopTick - table[0].startTick, 500u);
}

TEST(RaceJournal, AResumedRaceWrittenDownAfreshReadsBackTheSame) {
    const JournalRace race = readJournal(sampleJournal());
    Contestant table[MAX_CONTESTANTS] = {};
    const JournalClock now{40000, race.last.wallMs + 120000};
    resumeClocks(race, table, now);
    const JournalRace again =
        readJournal(join(journalRaceLines(race.modeText, race.isZhangai, race.scoreInit,
                                          race.startWallMs, table, race.count, now)));
    ASSERT_TRUE(again.valid);
    EXPECT_EQ(again.startWallMs, race.startWallMs);
    for (int i = 0; i < race.count; ++i) {
        EXPECT_STREQ(again.table[i].name, table[i].name);
        EXPECT_EQ(again.table[i].timing, table[i].timing) << i;
        EXPECT_EQ(again.table[i].startTick, table[i].startTick) << i;
        EXPECT_EQ(again.table[i].score, table[i].score) << i;
        if (!table[i].timing) {
            EXPECT_EQ(again.table[i].stopTick, table[i].stopTick) << i;
        }
    }
    int64_t ms = 0;
    EXPECT_TRUE(parseWallMs(formatWallMs(wall(2026, 1, 2, 3, 4, 5, 6)), &ms));
    EXPECT_EQ(ms, wall(2026, 1, 2, 3, 4, 5, 6));
    EXPECT_EQ(formatWallMs(wall(2026, 1, 2, 3, 4, 5, 6)), "2026-01-02 03:04:05.006");
    EXPECT_FALSE(parseWallMs("2026-01-02 03:04:05", &ms));
    EXPECT_FALSE(parseWallMs("2026-01-02 03:04:05.1", &ms));
}

}  // namespace
