#include "records/RecordLines.h"
#include "records/RecordsDocument.h"
#include "records/RecordsEdit.h"
#include "records/TimeText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

Contestant racer(const char* name, int32_t elapsedMs, int32_t score) {
    Contestant c{};
    std::strncpy(c.name, name, sizeof c.name - 1);
    c.elapsedMs = elapsedMs;
    c.score = score;
    return c;
}

// Records text written once, as UTF-16 literals (right in either build), and
// encoded for each test; code page 936 knows only the hanzi used here.
std::string encode(std::u16string_view text, TextEncoding e) {
    static const std::pair<char16_t, const char*> CP936[] = {
        {u'计', "\xBC\xC6"}, {u'时', "\xCA\xB1"}, {u'赛', "\xC8\xFC"}, {u'障', "\xD5\xCF"},
        {u'碍', "\xB0\xAD"}, {u'李', "\xC0\xEE"}, {u'王', "\xCD\xF5"}, {u'强', "\xC7\xBF"},
        {u'上', "\xC9\xCF"}};
    std::string out;
    for (char16_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        if (e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be)
            out += e == TextEncoding::Utf16Le ? std::string{low, high} : std::string{high, low};
        else if (c < 0x80) out += low;
        else if (e == TextEncoding::Utf8)
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        else for (const auto& [hanzi, bytes] : CP936) out += hanzi == c ? bytes : "";
    }
    return out;
}

// Three races as the race writes them, a line before the first and lines
// after a header whose time cannot be read, which belong to none. In UTF-16
// the low bytes of 强 and 上 are a colon and a line feed.
const std::u16string RECORDS[] = {
    u"王,1,2", u"计时赛,2026-12-07 09:00:00", u"李,65432,10", u"王强上,8880000,0", u"",
    u"障碍赛,2026-12-08 21:28:23", u"王,70000,12", u"李,61000,10", u"", u"计时赛,no:time", u"王,1,2",
    u"计时赛,2026-12-09 10:05:07", u"李,1000,0", u""};

}  // namespace

TEST(RecordLines, ABlockIsHeaderContestantsAndAnEmptyLine) {
    const Contestant table[] = {racer("A", 65432, 10), racer("B", NO_TIME, 0),
                                racer("C", 0, -4)};
    const std::vector<std::string> block =
        raceRecordBlock("\xD5\xCF\xB0\xAD\xC8\xFC", "2026-12-08 21:28:23", table, 3);
    EXPECT_EQ(block, (std::vector<std::string>{"\xD5\xCF\xB0\xAD\xC8\xFC,2026-12-08 21:28:23",
                                               "A,65432,10", "B,8880000,0", "C,0,-4", ""}));
    EXPECT_EQ(raceRecordBlock("m", "s", table, 0), (std::vector<std::string>{"m,s", ""}));
}

TEST(RecordLines, WrittenLinesReadBackAsWhatTheyWere) {
    const RecordLine header = classifyRecordLine(recordHeaderLine("m", "2026-12-08 21:28:23"));
    ASSERT_EQ(header.kind, RecordLine::Header);
    ASSERT_TRUE(header.timeValid);
    EXPECT_EQ(formatTimeStamp(header.raceTime), "2026-12-08 21:28:23");

    const RecordLine line = classifyRecordLine(recordContestantLine(racer("\xC0\xEE", -5, INT32_MIN)));
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.name, "\xC0\xEE");
    EXPECT_EQ(line.elapsedMs, -5);
    EXPECT_EQ(line.score, INT32_MIN);
}

TEST(RecordLines, ReaderTellsLineKindsApart) {
    EXPECT_EQ(classifyRecordLine("").kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine("\r").kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine("A,65432,10\r").kind, RecordLine::Contestant);
    EXPECT_EQ(classifyRecordLine("A,65432,10,extra").kind, RecordLine::Contestant);
    // A colon anywhere makes a header, even in a name; a bad stamp is flagged.
    const RecordLine nameWithColon = classifyRecordLine("Li:Wei,65432,10");
    EXPECT_EQ(nameWithColon.kind, RecordLine::Header);
    EXPECT_FALSE(nameWithColon.timeValid);
    EXPECT_FALSE(classifyRecordLine("m,2026-02-30 10:00:00").timeValid);
    EXPECT_FALSE(classifyRecordLine("m:2026-12-08 10:00:00").timeValid);
    for (const char* bad : {"A", "A,65432", "A,65432,", "A,,10", "A,65432,10x", "A,65 432,10",
                            "A,2147483648,1", "A,1,-2147483649", "Li,Wei,65432,10", "A,1,2\r\r"}) {
        EXPECT_EQ(classifyRecordLine(bad).kind, RecordLine::Bad) << bad;
    }
}

TEST(RecordLines, LinesASpreadsheetWroteBackReadAsTheyWere) {
    for (const char* empty : {",", ",,", ",,,\r"})
        EXPECT_EQ(classifyRecordLine(empty).kind, RecordLine::Empty) << empty;
    EXPECT_EQ(classifyRecordLine(", ,").kind, RecordLine::Bad);
    const RecordLine header = classifyRecordLine("m,2026-12-09 01:27:41,");
    ASSERT_EQ(header.kind, RecordLine::Header);
    EXPECT_TRUE(header.timeValid);
    const RecordLine calc = classifyRecordLine("m,2026/12/9 10:05,");
    ASSERT_TRUE(calc.timeValid);
    EXPECT_EQ(formatTimeStamp(calc.raceTime), "2026-12-09 10:05:00");
    const RecordLine line = classifyRecordLine("A,16000,0,");
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.elapsedMs, 16000);
}

TEST(RecordLines, VeryLongLinesAreReadWithoutLimits) {
    const std::string longName(100000, 'n');
    const RecordLine line = classifyRecordLine(longName + ",1,2");
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.name.size(), 100000u);
    EXPECT_EQ(classifyRecordLine("A,1," + std::string(100000, '9')).kind, RecordLine::Bad);
    EXPECT_EQ(classifyRecordLine(std::string(100000, ',')).kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine(std::string(100000, ':')).kind, RecordLine::Header);
}

TEST(RecordsEdit, OneRowOrOneRaceChangesAndNoOtherByte) {
    const std::pair<TextEncoding, std::string> encodings[] = {
        {TextEncoding::Cp936, ""}, {TextEncoding::Utf8, ""}, {TextEncoding::Utf8, "\xEF\xBB\xBF"},
        {TextEncoding::Utf16Le, "\xFF\xFE"}, {TextEncoding::Utf16Be, "\xFE\xFF"}};
    const struct {
        std::vector<std::u16string> ends;  // taken in turn
        bool lastUnended, spreadsheet;     // a spreadsheet may add a comma to every line
    } forms[] = {{{u"\r\n"}, false, false}, {{u"\n"}, false, false}, {{u"\r"}, false, false},
                 {{u"\r\n", u"\n", u"\r"}, true, false}, {{u"\r\n"}, false, true}};
    for (const auto& form : encodings) {
        const TextEncoding encoding = form.first;
        const std::string& mark = form.second;
        for (const auto& [ends, lastUnended, spreadsheet] : forms) {
            SCOPED_TRACE(testing::Message() << "encoding " << int(encoding) << ", mark of " << mark.size()
                                            << ", ends " << ends.size() << lastUnended << spreadsheet);
            std::vector<std::string> lines, texts;
            const std::size_t count = std::size(RECORDS) - lastUnended;
            for (std::size_t i = 0; i < count; ++i) {
                texts.push_back(encode(RECORDS[i] + (spreadsheet ? u"," : u""), encoding));
                lines.push_back(texts[i] + (i + 1 == count && lastUnended ? "" : encode(ends[i % ends.size()], encoding)));
            }
            // The file without lines [from, to), line `fixed` as `text` with its own line end.
            const auto file = [&](std::size_t from, std::size_t to, std::size_t fixed = SIZE_MAX,
                                  std::u16string_view text = u"") {
                std::string out = mark;
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    if (i == fixed) out += encode(text, encoding) + lines[i].substr(texts[i].size());
                    else if (i < from || i >= to) out += lines[i];
                }
                return out;
            };
            const RecordsDocument doc(file(0, 0));
            ASSERT_EQ(doc.encoding(), encoding);
            const std::vector<RecordsRace>& races = doc.races();
            ASSERT_EQ(races.size(), 3u);
            EXPECT_TRUE(!races[0].obstacle && races[1].obstacle && !races[2].obstacle);
            ASSERT_EQ(std::vector<std::size_t>({races[0].rows.size(), races[1].rows.size(), races[2].rows.size()}),
                      std::vector<std::size_t>({2, 2, 1}));
            EXPECT_EQ(races[1].rows[1].name, encode(u"李", encoding));
            EXPECT_EQ(races[1].rows[1].elapsedMs, 61000);
            EXPECT_EQ(races[1].stamp, "2026-12-08 21:28:23");

            EXPECT_EQ(doc.withRow(races[1], 1, 59990, -7), file(0, 0, 7, u"李,59990,-7"));
            EXPECT_EQ(doc.withRow(races[2], 0, NO_TIME, INT32_MIN), file(0, 0, 12, u"李,8880000,-2147483648"));
            EXPECT_EQ(doc.withRow(races[2], 1, 0, 0), file(0, 0));
            EXPECT_EQ(doc.withoutRace(races[0]), file(1, 5));
            EXPECT_EQ(doc.withoutRace(races[1]), file(5, 9));
            EXPECT_EQ(doc.withoutRace(races[2]), file(11, lines.size()));
        }
    }
    // A code page 936 block an older version appended to a UTF-8 file.
    const RecordsDocument mixed(encode(u"计时赛,2026-12-07 10:00:00\n李,1,2\n", TextEncoding::Utf8) +
                                encode(u"障碍赛,2026-12-08 10:00:00\n", TextEncoding::Cp936));
    ASSERT_TRUE(mixed.encoding() == TextEncoding::Utf8 && mixed.races().size() == 2);
    EXPECT_TRUE(!mixed.races()[0].obstacle && mixed.races()[1].obstacle);
    // Voiding the race right after the mark keeps the mark, and an odd last
    // byte of UTF-16 belongs to no line and stays.
    for (const auto& [encoding, mark, tail] : {std::tuple{TextEncoding::Utf8, "\xEF\xBB\xBF", ""},
                                               std::tuple{TextEncoding::Utf16Le, "\xFF\xFE", "\n"},
                                               std::tuple{TextEncoding::Utf16Be, "\xFE\xFF", "\n"}}) {
        const RecordsDocument first(mark + encode(u"计时赛,2026-12-07 10:00:00\r\n李,1,2\r\n", encoding) + tail);
        ASSERT_EQ(first.races().size(), 1u) << mark;
        EXPECT_EQ(first.withoutRace(first.races()[0]), std::string(mark) + tail);
    }
}

TEST(RecordsEdit, AWeekIsItsRacesNewestFirst) {
    const RecordsDocument doc(
        "m,2026-12-09 10:00:00\nm,2026-12-06 23:59:59\nm,2026-12-07 00:00:00\nm,2026/12/9 10:00\n"
        "m,2026-12-13 23:59:59\nm,2026-12-14 00:00:00\n");
    std::vector<std::string> stamps;
    for (const RecordsRace* race : racesOfWeek(doc, LocalTime{2026, 12, 7, 0, 0, 0})) stamps.push_back(race->stamp);
    EXPECT_EQ(stamps, (std::vector<std::string>{"2026-12-13 23:59:59", "2026/12/9 10:00", "2026-12-09 10:00:00",
                                                "2026-12-07 00:00:00"}));
}

TEST(RecordsEdit, RowsInOrderOfPlaceAsTheResultsBoardPlacesThem) {
    RecordsRace timed{}, obstacle{};
    for (int32_t t : {61000, 59000, NO_TIME, 59000, -5, 1}) timed.rows.push_back(RecordsRow{"A", t, 0, 0});
    EXPECT_EQ(rowsByPlace(timed), (std::vector<std::size_t>{5, 1, 3, 0, 2, 4}));
    // More rows than a race has contestants, as a block edited by hand may.
    obstacle.obstacle = true;
    const int32_t scores[] = {10, 12, 10, 10, -3, 0, 12, 10, 10};
    const int32_t times[] = {70000, 90000, 65000, 70000, 1, 1, 90000, NO_TIME, 60000};
    for (int i = 0; i < 9; ++i) obstacle.rows.push_back(RecordsRow{"A", times[i], scores[i], 0});
    EXPECT_EQ(rowsByPlace(obstacle), (std::vector<std::size_t>{1, 6, 8, 2, 0, 3, 7, 5, 4}));
}

TEST(RecordsEdit, TypedTimes) {
    // Full width: １：２３．４５, １＇２３．４５＂, 1′23.45″, 1’23.45”, blanks of full width; with
    // Chinese punctuation on: 1‘23。45, １。５, 1“.
    const std::pair<const char*, int32_t> accepted[] = {
        {"01'23.45\"", 83450}, {"1'23.45", 83450}, {"1:23.45", 83450}, {"83.45", 83450}, {"83", 83000},
        {" 83.4\t", 83400}, {"\t83", 83000}, {"83.456", 83456}, {"0", 0}, {"125\"", 125000}, {"2'05", 125000},
        {"3599.999", 3599999}, {"59:59.999\"", 3599999}, {"0:00.01", 10}, {"60'00", 3600000},
        {"1:02:03.45", 3723450}, {"1:2:3", 3723000}, {"1:02'03\"", 3723000}, {"2:27:59.999", 8879999}, {"7999.99", 7999990},
        {"\xA3\xB1\xA3\xBA\xA3\xB2\xA3\xB3\xA3\xAE\xA3\xB4\xA3\xB5", 83450},
        {"\xA3\xB1\xA3\xA7\xA3\xB2\xA3\xB3\xA3\xAE\xA3\xB4\xA3\xB5\xA3\xA2", 83450},
        {"1\xA1\xE4""23.45\xA1\xE5", 83450}, {"1\xA1\xAF""23.45\xA1\xB1", 83450},
        {"1\xA1\xAE""23\xA1\xA3""45", 83450}, {"\xA3\xB1\xA1\xA3\xA3\xB5", 1500}, {"1\xA1\xB0", 1000},
        {"\xA1\xA1\xA3\xB9\xA3\xB0\xA1\xA1", 90000}};
    for (const auto& [text, ms] : accepted) {
        int32_t got = -1;
        EXPECT_TRUE(parseTypedTime(text, &got) && got == ms) << text << " " << got;
    }
    for (const char* refused : {"", " ", "\"", "-5", "+5", "1'2'", "1'2'3", "1'60", "1:60:00", "1:2:3:4", "2:28:00",
                                "8880", "83.", ".5", "83.4567", "1'", "1'23.45\"\"", "83 .45", "1:23.45x", "\"83",
                                "1.5'23", "99999999999", "18446744073709551616", "\xA3", "\xA3\xB1\xA3",
                                "1\xA1\xA2""5", "1'23,45"}) {
        int32_t got = -1;
        EXPECT_FALSE(parseTypedTime(refused, &got) || got != -1) << refused;
    }
}

// What 修改成绩 shows of a stored result and makes of its boxes on OK: a box
// left as shown keeps the stored value to the millisecond, over an hour and
// off the hundredth too; only a changed box is read.
TEST(RecordsEdit, AnEditKeepsWhatTheOperatorDidNotTouch) {
    EXPECT_EQ(resultTimeText(12345), "00'12.34\"");
    EXPECT_EQ(resultTimeText(3723450), "1:02:03.45");
    EXPECT_EQ(resultTimeText(3600000), "1:00:00.00");
    EXPECT_EQ(resultTimeText(3599999), "59'59.99\"");
    EXPECT_EQ(shownResult(0, 0).time, "00'00.00\"");  // a stored 0 is a time
    EXPECT_FALSE(shownResult(0, 0).noTime);
    EXPECT_EQ(resultTimeText(8879999), "2:27:59.99");
    const ResultFields none = shownResult(-500, 3);
    EXPECT_TRUE(none.noTime && none.time.empty() && none.score == "3");
    const struct {
        int32_t ms, score;
        bool obstacle;
        const char* time;  // typed; null: as shown
        int noTime;        // -1: as shown
        const char* scoreText;
        ResultEdit result;
        int32_t wantMs, wantScore;
    } cases[] = {
        {12345, 0, false, nullptr, -1, nullptr, ResultEdit::Taken, 12345, 0},
        {3723450, 0, false, nullptr, -1, nullptr, ResultEdit::Taken, 3723450, 0},
        {-500, 0, false, nullptr, -1, nullptr, ResultEdit::Taken, -500, 0},
        {NO_TIME, 4, true, nullptr, -1, nullptr, ResultEdit::Taken, NO_TIME, 4},
        {12345, 4, true, nullptr, -1, " 6 ", ResultEdit::Taken, 12345, 6},
        {3723451, 4, true, nullptr, -1, "-2", ResultEdit::Taken, 3723451, -2},
        {12345, 0, false, "1\xA1\xAE""23\xA1\xA3""45", -1, nullptr, ResultEdit::Taken, 83450, 0},
        {12345, 0, false, "00'12.34\"", 1, nullptr, ResultEdit::Taken, NO_TIME, 0},
        {-500, 0, false, "1:02:03.45", 0, nullptr, ResultEdit::Taken, 3723450, 0},
        {12345, 0, false, "12.3.4", -1, nullptr, ResultEdit::BadTime, 12345, 0},
        {12345, 4, true, nullptr, -1, "4.5", ResultEdit::BadScore, 12345, 4},
        {12345, 4, false, nullptr, -1, "x", ResultEdit::Taken, 12345, 4},  // a timed race's score is never read
    };
    for (const auto& c : cases) {
        const ResultFields shown = shownResult(c.ms, c.score);
        ResultFields typed = shown;
        if (c.time) typed.time = c.time;
        if (c.noTime >= 0) typed.noTime = c.noTime != 0;
        if (c.scoreText) typed.score = c.scoreText;
        int32_t ms = c.ms, score = c.score;
        EXPECT_EQ(readEditedResult(shown, typed, c.obstacle, &ms, &score), c.result) << c.ms << " " << c.score;
        EXPECT_EQ(ms, c.wantMs) << c.ms;
        EXPECT_EQ(score, c.wantScore) << c.ms;
    }
}
