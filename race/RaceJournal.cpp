#include "race/RaceJournal.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/TextEncoding.h"
#include "core/TextFields.h"

namespace {

const char kComment[] =
    "# Trackvane 比赛过程记录：正在进行的比赛的每一步。比赛结束、成绩写入 _records.csv 后自动删除。";

bool parseNumber(std::string_view text, uint64_t most, uint64_t* out) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + static_cast<uint64_t>(ch - '0');
        if (value > most) return false;
    }
    *out = value;
    return true;
}


// The value of "key=" among the fields after the first.
bool valueOf(std::string_view line, std::string_view key, std::string_view* out) {
    for (int i = 1;; ++i) {
        std::string_view field;
        if (!findField(line, ',', i, &field)) return false;
        if (field.size() > key.size() && field.substr(0, key.size()) == key &&
            field[key.size()] == '=') {
            *out = field.substr(key.size() + 1);
            return true;
        }
    }
}

bool readingOf(std::string_view line, JournalClock* at) {
    std::string_view tick, wall;
    uint64_t t = 0;
    if (!valueOf(line, "tick", &tick) || !valueOf(line, "wall", &wall) ||
        !parseNumber(tick, UINT32_MAX, &t) || !parseWallMs(wall, &at->wallMs))
        return false;
    at->tick = static_cast<uint32_t>(t);
    return true;
}

std::string readingText(JournalClock at) {
    return "tick=" + std::to_string(at.tick) + ",wall=" + formatWallMs(at.wallMs);
}

// Contestant numbers in the journal count from 1, as on the screen.
bool contestantOf(std::string_view line, int count, int* index) {
    std::string_view field;
    uint64_t n = 0;
    if (!findField(line, ',', 1, &field) || !parseNumber(field, MAX_CONTESTANTS, &n) || n < 1)
        return false;
    *index = static_cast<int>(n) - 1;
    return *index < count;
}

class Replay {
public:
    JournalRace race;

    void take(std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        std::string_view kind;
        findField(line, ',', 0, &kind);
        if (kind == "race") takeRace(line);
        else if (!race.valid) return;
        else if (kind == "name") takeName(line);
        else if (kind == "start" || kind == "restart") takeClock(line, true);
        else if (kind == "stop") takeClock(line, false);
        else if (kind == "undo") takeUndo(line);
        else if (kind == "score") takeScore(line);
        else if (kind == "end") takeEnd(line);
    }

private:
    void takeRace(std::string_view line) {
        std::string_view start, tick, mode, zhangai, init, count;
        uint64_t t = 0, n = 0, z = 0;
        int32_t s = 0;
        if (!valueOf(line, "start", &start) || !valueOf(line, "tick", &tick) ||
            !valueOf(line, "mode", &mode) || !valueOf(line, "isZhangai", &zhangai) ||
            !valueOf(line, "scoreInit", &init) || !valueOf(line, "contestants", &count))
            return;
        JournalRace fresh;
        if (!parseWallMs(start, &fresh.startWallMs) || !parseNumber(tick, UINT32_MAX, &t) ||
            !parseNumber(zhangai, 1, &z) || !parseInt32Field(init, &s) ||
            !parseNumber(count, MAX_CONTESTANTS, &n))
            return;
        fresh.valid = true;
        fresh.modeText.assign(mode);
        fresh.isZhangai = static_cast<int>(z);
        fresh.scoreInit = s;
        fresh.last = JournalClock{static_cast<uint32_t>(t), fresh.startWallMs};
        race = fresh;
        declared_ = static_cast<int>(n);
        history_.clear();
    }

    void takeName(std::string_view line) {
        // The name is the rest of the line, commas and all.
        std::string_view number;
        uint64_t n = 0;
        if (!findField(line, ',', 1, &number) || !parseNumber(number, MAX_CONTESTANTS, &n) ||
            static_cast<int>(n) != race.count + 1 || race.count >= declared_)
            return;
        const std::size_t at = std::string_view("name,").size() + number.size() + 1;
        if (line.size() < at) return;
        Contestant& c = race.table[race.count++];
        fitName(line.substr(at), c.name);
        c.score = race.scoreInit;
    }

    void takeClock(std::string_view line, bool start) {
        int i = 0;
        JournalClock at{};
        if (!contestantOf(line, race.count, &i) || !readingOf(line, &at)) return;
        Contestant& c = race.table[i];
        history_.record(i, c);
        if (start) {
            c.startTick = at.tick ? at.tick : 1;
            c.timing = 1;
        } else {
            c.stopTick = at.tick;
            c.timing = 0;
        }
        race.last = at;
    }

    void takeUndo(std::string_view line) {
        int i = 0;
        JournalClock at{};
        // Only the undo of the contestant the race in memory undid: a line
        // that names another (or nobody of the roster) undid nothing there.
        if (!contestantOf(line, race.count, &i) || !readingOf(line, &at) || history_.lastContestant() != i)
            return;
        history_.undo(race.table);
        race.last = at;
    }

    void takeScore(std::string_view line) {
        int i = 0;
        std::string_view value;
        int32_t score = 0;
        JournalClock at{};
        if (!contestantOf(line, race.count, &i) || !findField(line, ',', 2, &value) ||
            !parseInt32Field(value, &score) || !readingOf(line, &at))
            return;
        race.table[i].score = score;
        race.last = at;
    }

    void takeEnd(std::string_view line) {
        std::string_view stamp;
        JournalClock at{};
        if (!valueOf(line, "stamp", &stamp) || !readingOf(line, &at)) return;
        // The clocks still running stopped with the race.
        for (int i = 0; i < race.count; ++i) {
            Contestant& c = race.table[i];
            if (c.timing == 1) {
                c.stopTick = at.tick;
                c.timing = 0;
            }
        }
        race.ended = true;
        race.endStamp.assign(stamp);
        race.last = at;
    }

    int declared_ = 0;
    ClockHistory history_;
};

uint32_t nonZeroTick(uint32_t tick) { return tick ? tick : 0xFFFFFFFFu; }

}  // namespace

int64_t toSerialMs(const LocalTime& t, int ms) { return toSerialSeconds(t) * 1000 + ms; }

std::string formatWallMs(int64_t serialMs) {
    int64_t seconds = serialMs / 1000;
    int64_t ms = serialMs % 1000;
    if (ms < 0) {
        ms += 1000;
        --seconds;
    }
    char text[8];
    std::snprintf(text, sizeof text, ".%03d", static_cast<int>(ms));
    return formatTimeStamp(fromSerialSeconds(seconds)) + text;
}

bool parseWallMs(std::string_view text, int64_t* serialMs) {
    const std::size_t dot = text.rfind('.');
    LocalTime t{};
    uint64_t ms = 0;
    if (dot == std::string_view::npos || text.size() - dot != 4 ||
        !parseNumber(text.substr(dot + 1), 999, &ms) || !parseTimeStamp(text.substr(0, dot), &t))
        return false;
    *serialMs = toSerialMs(t, static_cast<int>(ms));
    return true;
}

std::vector<std::string> journalRaceLines(const std::string& modeText, int isZhangai, int scoreInit,
                                          int64_t raceStartWallMs, const Contestant* table,
                                          int count, JournalClock now) {
    std::vector<std::string> lines;
    lines.push_back(kComment);
    lines.push_back("race,start=" + formatWallMs(raceStartWallMs) + ",tick=" +
                    std::to_string(now.tick) + ",mode=" + modeText +
                    ",isZhangai=" + std::to_string(isZhangai ? 1 : 0) +
                    ",scoreInit=" + std::to_string(scoreInit) +
                    ",contestants=" + std::to_string(count));
    for (int i = 0; i < count; ++i)
        lines.push_back("name," + std::to_string(i + 1) + "," + std::string(fixedText(table[i].name)));
    // A table that already holds clocks is written down as the events that
    // give them, each at the wall-clock time its tick stands for.
    auto at = [now](uint32_t tick) {
        return JournalClock{tick, now.wallMs - static_cast<int64_t>(now.tick - tick)};
    };
    for (int i = 0; i < count; ++i) {
        const Contestant& c = table[i];
        if (c.startTick != 0) lines.push_back(journalClockLine(ClockAction::Start, i, at(c.startTick)));
        if (c.startTick != 0 && c.timing == 0)
            lines.push_back(journalClockLine(ClockAction::Stop, i, at(c.stopTick)));
        if (c.score != scoreInit) lines.push_back(journalScoreLine(i, c.score, now));
    }
    return lines;
}

std::string journalClockLine(ClockAction action, int contestant, JournalClock at) {
    const char* kind = action == ClockAction::Stop ? "stop" : action == ClockAction::Restart ? "restart" : "start";
    return std::string(kind) + "," + std::to_string(contestant + 1) + "," + readingText(at);
}

std::string journalUndoLine(int contestant, JournalClock at) {
    return "undo," + std::to_string(contestant + 1) + "," + readingText(at);
}

std::string journalScoreLine(int contestant, int32_t score, JournalClock at) {
    return "score," + std::to_string(contestant + 1) + "," + std::to_string(score) + "," +
           readingText(at);
}

std::string journalEndLine(const std::string& stamp, JournalClock at) {
    return "end,stamp=" + stamp + "," + readingText(at);
}

int JournalRace::stoppedClocks() const {
    int n = 0;
    for (int i = 0; i < count; ++i) n += table[i].startTick != 0 && table[i].timing == 0;
    return n;
}

int JournalRace::runningClocks() const {
    int n = 0;
    for (int i = 0; i < count; ++i) n += table[i].timing == 1;
    return n;
}

JournalRace readJournal(std::string_view bytes) {
    Replay replay;
    // Only whole lines: the last one may have been cut off by a power cut.
    forEachLine(bytes, [&replay](std::string_view line) { replay.take(line); });
    return replay.race;
}

bool journalRaceRecorded(const JournalRace& race, std::string_view recordsBytes) {
    if (!race.ended || race.endStamp.empty()) return false;
    // The header's mode word may be in another encoding; its time stamp,
    // to the second, is the race's own.
    const std::string records = asciiView(recordsBytes);
    const std::string field = "," + race.endStamp;
    for (std::size_t at = records.find(field); at != std::string::npos; at = records.find(field, at + 1)) {
        const std::size_t after = at + field.size();
        if (after == records.size() || records[after] == '\r' || records[after] == '\n' ||
            records[after] == ',')
            return true;
    }
    return false;
}

ResumeDecision decideResume(std::string_view journalBytes, std::string_view recordsBytes) {
    ResumeDecision d;
    d.race = readJournal(journalBytes);
    if (!d.race.valid) {
        // Cut off before the race's first whole line there was no race to
        // keep; anything else that cannot be read is the operator's to look at.
        bool anyLine = false;
        forEachLine(journalBytes, [&anyLine](std::string_view line) {
            anyLine = anyLine || (!line.empty() && line[0] != '#');
        });
        d.offer = anyLine ? ResumeOffer::KeepUnreadable : ResumeOffer::Remove;
        return d;
    }
    // The crash came between the race's block and the journal's removal.
    d.offer = journalRaceRecorded(d.race, recordsBytes) ? ResumeOffer::Remove : ResumeOffer::Ask;
    return d;
}

std::string resumeQuestion(const JournalRace& race) {
    const std::string start = formatTimeStamp(fromSerialSeconds(race.startWallMs / 1000));
    return "上次的比赛没有正常结束（程序被关闭、出错或电脑断电）。\n\n"
           "比赛开始于：" + start + "（" + race.modeText + "，" + getStrInt(race.count) + " 名选手）\n"
           "已停表：" + getStrInt(race.stoppedClocks()) + " 人；仍在计时：" + getStrInt(race.runningClocks()) +
           " 人\n\n"
           "要恢复这场比赛吗？\n\n"
           "“是”：比赛接着进行。已停表的成绩不变，仍在计时的选手从原来开始的时刻接着计时；"
           "结束比赛后照常写入成绩记录。\n"
           "“否”：不恢复，这场比赛不写入成绩记录；过程记录另存一份，可以用记事本查看。";
}

void resumeClocks(const JournalRace& race, Contestant* table, JournalClock now) {
    const uint32_t tickSince = now.tick - race.last.tick;
    const int64_t wallSince = now.wallMs - race.last.wallMs;
    // Two seconds of slack for a wall clock that was set meanwhile.
    const bool sameTickCount = wallSince >= 0 && tickSince <= static_cast<uint64_t>(wallSince) + 2000 &&
                               static_cast<uint64_t>(wallSince) <= static_cast<uint64_t>(tickSince) + 2000;
    for (int i = 0; i < race.count; ++i) {
        Contestant& c = table[i];
        const Contestant& was = race.table[i];
        std::copy(std::begin(was.name), std::end(was.name), std::begin(c.name));
        c.score = was.score;
        c.timing = was.timing;
        c.elapsedMs = 0;
        if (sameTickCount || was.startTick == 0) {
            c.startTick = was.startTick;
            c.stopTick = was.stopTick;
            continue;
        }
        if (was.timing == 1) {
            const uint64_t ran = static_cast<uint64_t>(race.last.tick - was.startTick) +
                                 static_cast<uint64_t>(wallSince > 0 ? wallSince : 0);
            c.startTick = nonZeroTick(now.tick - static_cast<uint32_t>(ran));
            c.stopTick = 0;
        } else {
            const uint32_t ran = was.stopTick - was.startTick;
            c.stopTick = now.tick;
            c.startTick = now.tick - ran;
            if (c.startTick == 0) {
                c.startTick -= 1;
                c.stopTick -= 1;
            }
        }
    }
}
