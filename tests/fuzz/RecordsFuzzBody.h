// Checks shared by the libFuzzer target and the seeded random host test: any
// bytes, read or corrected as a records file, or read as a roster, a time
// stamp or a typed time, must be taken without a crash and give consistent
// results. Returns nullptr when all hold, else what failed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextEncoding.h"
#include "core/TimeStamp.h"
#include "records/Ranking.h"
#include "records/RecordsIndex.h"
#include "records/TimeText.h"
#include "race/RaceJournal.h"
#include "core/RaceState.h"
#include "records/RecordsDocument.h"
#include "records/RecordsEdit.h"
#include "race/Roster.h"
#include "core/TextFields.h"
#include "core/IniText.h"
#include "settings/SettingsRules.h"

namespace records_fuzz {

struct WeekResult {
    bool hasWeeklyData;
    Contestant totals[MAX_CONTESTANTS];
    int races[MAX_CONTESTANTS];
};

inline WeekResult sumOf(const RecordsIndex& index, const Contestant* roster, int count) {
    WeekResult r{};
    const LocalTime now{2026, 12, 8, 21, 28, 23};
    r.hasWeeklyData = index.sumWeek(now, roster, count, r.totals, r.races);
    return r;
}

inline bool sameTotals(const WeekResult& a, const WeekResult& b) {
    if (a.hasWeeklyData != b.hasWeeklyData) return false;
    for (int i = 0; i < MAX_CONTESTANTS; ++i) {
        const Contestant &x = a.totals[i], &y = b.totals[i];
        if (std::string_view(x.name) != std::string_view(y.name) || x.elapsedMs != y.elapsedMs ||
            x.score != y.score || x.place != y.place || a.races[i] != b.races[i])
            return false;
    }
    return true;
}

inline const char* checkTotals(const WeekResult& r, int count) {
    for (int i = 0; i < MAX_CONTESTANTS; ++i) {
        const Contestant& c = r.totals[i];
        if (i >= count) {
            if (c.name[0] || c.elapsedMs || c.score || c.place || c.placed)
                return "entry beyond the roster is not zero";
            continue;
        }
        if (r.races[i] < 0) return "negative race count";
        if (r.races[i] == 0) {
            // Not placed, and nothing to sum.
            if (c.placed || c.place || c.elapsedMs || c.score) return "entry without a race placed";
            continue;
        }
        if (!c.placed || c.place < 1 || c.place > count) return "entry without a valid place";
        if (c.elapsedMs < 0) return "summed time went negative";
    }
    return nullptr;
}

// Splits the bytes at pseudo-random points drawn from the bytes themselves.
inline std::vector<std::string_view> chunksOf(std::string_view bytes) {
    std::vector<std::string_view> chunks;
    uint32_t state = 2166136261u ^ static_cast<uint32_t>(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        state = state * 1664525u + 1013904223u + static_cast<unsigned char>(bytes[pos]);
        const std::size_t length = 1 + (state >> 16) % 9;
        chunks.push_back(bytes.substr(pos, length));
        pos += length;
    }
    return chunks;
}

inline const char* checkRecords(std::string_view bytes) {
    // "A" twice: equal names must both get the sums. C0 EE is a GBK name.
    Contestant roster[MAX_CONTESTANTS] = {};
    const int count = loadRosterInto({"A", "B", "A", "\xC0\xEE"}, roster, 0);

    RecordsIndex whole;
    whole.feed(bytes);
    whole.finish();
    const WeekResult all = sumOf(whole, roster, count);
    if (const char* failure = checkTotals(all, count)) return failure;
    if (all.totals[0].elapsedMs != all.totals[2].elapsedMs ||
        all.totals[0].score != all.totals[2].score)
        return "equal roster names got different sums";

    RecordsIndex pieces;
    pieces.feed("stale line\n");
    pieces.reset();
    for (std::string_view chunk : chunksOf(bytes)) pieces.feed(chunk);
    pieces.finish();
    if (!sameTotals(all, sumOf(pieces, roster, count)))
        return "reading in pieces differs from reading at once";
    return nullptr;
}

inline const char* checkRoster(std::string_view bytes) {
    const std::vector<std::string> names = parseRoster(bytes);
    if (names.size() > MAX_CONTESTANTS) return "more than eight roster names";
    for (const std::string& name : names) {
        if (name.empty() || name.find('\n') != std::string::npos) return "roster name not a line";
    }
    return nullptr;
}

// Hand-made text: a byte-order mark decides, plain ASCII stays as it is, the
// decision never takes invalid UTF-8 for UTF-8, and the evidence gathered a
// line at a time (as the records reader gathers it) is that of the whole text.
inline const char* checkDecoder(std::string_view bytes) {
    std::size_t mark = 0;
    const TextEncoding whole = detectTextEncoding(bytes, &mark);
    const auto startsWith = [&](std::string_view m) { return bytes.substr(0, m.size()) == m; };
    const TextEncoding named = startsWith("\xEF\xBB\xBF") ? TextEncoding::Utf8
                               : startsWith("\xFF\xFE")     ? TextEncoding::Utf16Le
                               : startsWith("\xFE\xFF")     ? TextEncoding::Utf16Be
                                                             : TextEncoding::Cp936;
    const std::size_t namedLength = named == TextEncoding::Utf8 ? 3 : named == TextEncoding::Cp936 ? 0 : 2;
    if (mark != namedLength || (mark > 0 && whole != named)) return "a byte-order mark misread";
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && whole != TextEncoding::Cp936) return "plain ASCII taken for UTF-8";
    if (mark == 0 && whole == TextEncoding::Utf8 && !isValidUtf8(bytes))
        return "invalid UTF-8 taken for UTF-8";
    EncodingEvidence all, pieces, allLines, lines;
    all.add(bytes);
    allLines.addUtf8Lines(bytes);
    std::size_t begin = 0, lineBegin = 0;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        const char c = bytes[pos];
        if (static_cast<unsigned char>(c) < 0x80 && (c == '\n' || c % 3 == 0)) {
            pieces.add(bytes.substr(begin, pos + 1 - begin));
            begin = pos + 1;
        }
        if (c == '\n' || c == '\r') {
            lines.addUtf8Lines(bytes.substr(lineBegin, pos + 1 - lineBegin));
            lineBegin = pos + 1;
        }
    }
    pieces.add(bytes.substr(begin));
    lines.addUtf8Lines(bytes.substr(lineBegin));
    if (lines.cp936Score() != allLines.cp936Score() || lines.utf8Score() != allLines.utf8Score() ||
        lines.verdict() != allLines.verdict())
        return "line evidence a line at a time differs from the whole";
    if (all.cp936Score() != pieces.cp936Score() || all.utf8Score() != pieces.utf8Score() ||
        all.verdict() != pieces.verdict())
        return "evidence in pieces differs from the whole";
    if (isValidUtf8(bytes) && (allLines.utf8Score() != all.utf8Score() || allLines.verdict() != all.verdict()))
        return "a text valid as UTF-8 is judged otherwise line by line";
    // Where the other reading is not worse, only Chinese text keeps UTF-8,
    // and only while code page 936 is not far more plausible.
    const int64_t u = allLines.utf8Score(), g = allLines.cp936Score();
    if (allLines.verdict() == TextEncoding::Utf8 && u <= g && (u <= 0 || 2 * g > 5 * u))
        return "UTF-8 lines taken for UTF-8 though code page 936 reads far better";
    return nullptr;
}

inline const char* checkTimeStamp(std::string_view bytes) {
    LocalTime t{};
    if (parseRecordTimeStamp(bytes, &t)) {
        LocalTime again{};
        if (!parseTimeStamp(formatTimeStamp(t), &again) ||
            toSerialSeconds(again) != toSerialSeconds(t))
            return "a records time stamp does not read back from its own text";
    }
    if (!parseTimeStamp(bytes, &t)) return nullptr;
    if (formatTimeStamp(t) != bytes) return "time stamp does not read back to its text";
    const LocalTime back = fromSerialSeconds(toSerialSeconds(t));
    if (formatTimeStamp(back) != bytes) return "serial seconds do not round trip";
    return nullptr;
}

// Values an operator typed into the INI file by hand.
inline const char* checkIniValues(std::string_view bytes) {
    int number = 0;
    if (parseIniInt(bytes, &number)) {
        int again = 0;
        if (!parseIniInt(getStrInt(number), &again) || again != number)
            return "a number does not read back from its own text";
    }
    int flag = 0;
    if (parseIniBool(bytes, &flag) && flag != 0 && flag != 1) return "a flag read as neither 0 nor 1";
    uint32_t colour = 0;
    if (parseIniColour(bytes, &colour)) {
        uint32_t again = 0;
        if (!parseIniColour(formatIniColour(colour), &again) || again != colour)
            return "a colour does not read back from its own text";
    }
    return nullptr;
}

// A journal left behind by a crash: any bytes rebuild some race or none, and
// a rebuilt race written down afresh reads back as itself.
inline const char* checkJournal(std::string_view bytes) {
    const JournalRace race = readJournal(bytes);
    if (!race.valid) return nullptr;
    if (race.count < 0 || race.count > MAX_CONTESTANTS) return "journal with more than eight names";
    if (race.stoppedClocks() + race.runningClocks() > race.count) return "journal clocks miscounted";
    Contestant table[MAX_CONTESTANTS] = {};
    const JournalClock now{race.last.tick + 5000u, race.last.wallMs + 3600000};
    resumeClocks(race, table, now);
    std::string lines;
    for (const std::string& line : journalRaceLines(race.modeText, race.isZhangai, race.scoreInit,
                                                    race.startWallMs, table, race.count, now))
        lines += line + "\n";
    const JournalRace again = readJournal(lines);
    if (!again.valid || again.count != race.count) return "a resumed journal does not read back";
    for (int i = 0; i < race.count; ++i) {
        if (table[i].name[NAME_BYTES - 1] != '\0') return "journal name not terminated";
        if (again.table[i].timing != table[i].timing || again.table[i].startTick != table[i].startTick ||
            again.table[i].score != table[i].score)
            return "a resumed clock does not read back";
    }
    // Once ended, its block is known by the header's time stamp, and by no
    // stamp that merely begins the same.
    if (race.ended && !race.endStamp.empty()) {
        const std::string header = "x\r\n" + race.modeText + "," + race.endStamp;
        if (!journalRaceRecorded(race, header + "\r\n") || !journalRaceRecorded(race, header + ","))
            return "an ended race not found by its own header";
        if (journalRaceRecorded(race, header + "1\r\n")) return "an ended race found by another stamp";
    } else if (journalRaceRecorded(race, bytes)) {
        return "a race never ended taken as written";
    }
    return nullptr;
}

// The records file corrected by hand: a corrected row changes its own fields
// and no other byte, and voiding a race takes out one run of bytes. A typed
// time taken is below NO_TIME, reads back from the text the program shows,
// and an edit that leaves that text as it is keeps the time exactly.
inline const char* checkRecordsEdit(std::string_view bytes) {
    const RecordsDocument doc{std::string(bytes)};
    const bool big = doc.encoding() == TextEncoding::Utf16Be;
    const std::size_t unit = big || doc.encoding() == TextEncoding::Utf16Le ? 2 : 1;
    std::string fields;
    for (char c : std::string_view(",-7,0"))
        fields += unit == 1 ? std::string{c} : big ? std::string{'\0', c} : std::string{c, '\0'};
    // Found afresh rather than taken from the document: whether a line end starts at i.
    const auto lineEndAt = [&](std::size_t i) {
        const char c = bytes[big ? i + 1 : i];
        return (c == '\r' || c == '\n') && (unit == 1 || bytes[big ? i : i + 1] == 0);
    };
    for (const RecordsRace& race : doc.races()) {
        for (std::size_t row = 0; row < race.rows.size(); ++row) {
            const std::string_view name = race.rows[row].name;
            const std::size_t nameEnd = static_cast<std::size_t>(name.data() - doc.bytes().data()) + name.size();
            std::size_t end = nameEnd;
            while (end + unit <= bytes.size() && !lineEndAt(end)) end += unit;
            const std::string expected = std::string(bytes.substr(0, nameEnd)) + fields + std::string(bytes.substr(end));
            if (doc.withRow(race, row, -7, 0) != expected) return "a corrected row changed other bytes";
        }
        const std::string voided = doc.withoutRace(race);
        std::size_t same = 0;
        while (same < voided.size() && voided[same] == bytes[same]) ++same;
        if (voided.size() >= bytes.size() ||
            bytes.substr(bytes.size() - (voided.size() - same)) != std::string_view(voided).substr(same))
            return "voiding a race took out more than one run of bytes";
    }
    int32_t ms = -1, again = -1;
    if (!parseTypedTime(bytes, &ms)) return ms == -1 ? nullptr : "a refused time was written";
    if (ms < 0 || ms >= NO_TIME || !parseTypedTime(resultTimeText(ms), &again) || again != ms - ms % 10)
        return "a typed time out of range or not read back from its shown text";
    // The edit box shows a stored time off the hundredth; the text typed over
    // it is read to the millisecond, and only the box left as it was shown
    // keeps the stored time.
    const int32_t stored = ms / 10 * 10 + 7 < NO_TIME ? ms / 10 * 10 + 7 : 7;
    const ResultFields shown = shownResult(stored, 3);
    ResultFields typed = shown;
    typed.time.assign(bytes);
    int32_t kept = stored, score = 3;
    const int32_t want = typed.time == shown.time ? stored : ms;
    if (readEditedResult(shown, typed, true, &kept, &score) != ResultEdit::Taken || kept != want || score != 3)
        return "a typed time was not taken as typed, or an untouched one lost its milliseconds";
    return nullptr;
}

inline const char* checkAll(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const char* failure = checkRecords(bytes)) return failure;
    if (const char* failure = checkRoster(bytes)) return failure;
    if (const char* failure = checkIniValues(bytes)) return failure;
    if (const char* failure = checkJournal(bytes)) return failure;
    if (const char* failure = checkDecoder(bytes)) return failure;
    if (const char* failure = checkRecordsEdit(bytes)) return failure;
    return checkTimeStamp(bytes);
}

}  // namespace records_fuzz
