#include "output/FramePlan.h"

#include <algorithm>
#include <climits>

#include "core/TextFields.h"
#include "records/TimeText.h"

namespace {

constexpr double INDENT_OF_COLUMN = 0.7f;  // single precision: 213 gives 149
constexpr int UNBOUNDED = INT_MAX;

// Places never exceed the number of entries; the bound keeps a damaged
// table from asking for billions of rows.
int placesOf(const Contestant* table, int count) {
    return std::min(maxPlace(table, count), MAX_CONTESTANTS);
}

class Planner {
public:
    Planner(FramePlan& out, const Layout& layout, const FrameState& state, TextMeasure* measure)
        : out_(out), l_(layout), s_(state), measure_(measure),
          count_(std::clamp(state.contestantCount, 0, MAX_CONTESTANTS)),
          weeklyCount_(std::clamp(state.weeklyCount, 0, MAX_CONTESTANTS)) {}

    void planAll() {
        add(PathKind::Title, l_.titleX, l_.titleY, l_.titleSize, s_.raceTitle);
        const int tipsX = truncToInt(l_.margin);
        add(PathKind::Text, tipsX, l_.tipsY, l_.tipsSize, s_.tips, l_.frameWidth - tipsX);
        planHeadings();
        for (int i = 0; i < count_; ++i) planContestantRow(i);
        if (s_.hasWeeklyData) planBoard(s_.weeklyTotals, weeklyCount_, l_.weeklyX, true);
        if (s_.resultsReady) planBoard(s_.contestants, count_, l_.resultsX, false);
    }

private:
    // `room`: how wide the text may be before it reaches the next element.
    void add(PathKind path, int x, int y, int size, std::string_view text, int room = UNBOUNDED) {
        if (text.empty()) return;
        // Nothing reaches past the frame's right edge either.
        if (measure_ && room != UNBOUNDED)
            size = fitTextSize(*measure_, path, size, std::min(room, l_.frameWidth - x), text);
        if (size > 0) out_.texts.push_back(TextOp{path, x, y, size, std::string(text)});
    }

    void addDigits(int x, int y, std::string_view text, int room) {
        add(PathKind::Digit, x, y, l_.digitSize, text, room);
    }

    void addPhoto(const Contestant* table, int contestant, int x, int y) {
        if (table[contestant].faceImage)
            out_.photos.push_back(
                PhotoOp{contestant, x, y, l_.photoWidth, l_.photoHeight, table == s_.weeklyTotals});
    }

    void planHeadings() {
        const char* results = s_.resultsReady ? "结果排行榜" : "排行榜待显示";
        const char* weekly = s_.hasWeeklyData ? "周冠军排行榜" : "周排名无数据！";
        add(PathKind::Text, l_.leftMargin, l_.headerY, l_.headerSize, "参赛人员",
            l_.resultsX - l_.leftMargin);
        add(PathKind::Text, l_.resultsX, l_.headerY, l_.headerSize, results, l_.weeklyX - l_.resultsX);
        add(PathKind::Text, l_.weeklyX, l_.headerY, l_.headerSize, weekly, l_.frameWidth - l_.weeklyX);
    }

    void planContestantRow(int i) {
        const Contestant& c = s_.contestants[i];
        const int row = l_.firstRowY + i * l_.rowHeight;
        const double afterPhoto = static_cast<double>(l_.leftMargin) + l_.photoWidth + l_.margin;
        std::string label = getStrInt(i + 1) + " ";
        label += fixedText(c.name);
        add(PathKind::Text, l_.leftMargin, row, l_.textSize, label, l_.columnWidth);
        addPhoto(s_.contestants, i, l_.leftMargin + l_.columnWidth, row);
        const int clockX = truncToInt(afterPhoto + l_.columnWidth);
        const int scoreX = truncToInt(afterPhoto + 2.0 * l_.columnWidth);
        addDigits(clockX, row, clockText(c, s_.nowTick),
                  (s_.isZhangai ? scoreX : l_.resultsX) - clockX);
        if (s_.isZhangai) addDigits(scoreX, row, getStrInt(c.score), l_.resultsX - scoreX);
    }

    // One row per entry, entries of a shared place one below the other in
    // index order with the label on the first; a place nobody holds still
    // gets its label on a row of its own.
    void planBoard(const Contestant* table, int count, int boardX, bool showsTimes) {
        const int indent = truncToInt(l_.columnWidth * INDENT_OF_COLUMN);
        const int nameX = boardX + indent;
        const int places = placesOf(table, count);
        int extraRows = 0;
        for (int p = 1; p <= places; ++p) {
            const int placeRow = l_.firstRowY + (extraRows + p - 1) * l_.rowHeight;
            add(PathKind::Text, boardX, placeRow, l_.textSize, "第" + getStrInt(p) + "名：", indent);
            int sharing = 0;
            for (int k = 0; k < count; ++k) {
                if (table[k].place != p) continue;
                const int row = placeRow + sharing * l_.rowHeight;
                add(PathKind::Text, nameX, row, l_.textSize, fixedText(table[k].name), indent);
                addPhoto(table, k, nameX + indent, row);
                if (showsTimes) planSums(table[k], nameX, indent, row);
                ++sharing;
            }
            extraRows += std::max(sharing - 1, 0);
        }
    }

    void planSums(const Contestant& entry, int nameX, int indent, int row) {
        // Where photos are wider than half an indent, the time starts right
        // after the photo instead of under it.
        const int photoRight = nameX + indent + l_.photoWidth;
        const int timeX = std::max(nameX + 2 * indent - l_.photoWidth, photoRight);
        const int scoreX = truncToInt(static_cast<double>(nameX) + 3.0 * indent - l_.photoWidth +
                                      2.0 * l_.margin);
        addDigits(timeX, row, formatTime(static_cast<uint32_t>(entry.elapsedMs)), scoreX - timeX);
        addDigits(scoreX, row, getStrInt(entry.score), l_.frameWidth - scoreX);
    }

    FramePlan& out_;
    const Layout& l_;
    const FrameState& s_;
    TextMeasure* measure_;
    const int count_;
    const int weeklyCount_;
};

}  // namespace

void FramePlan::clear() {
    texts.clear();
    photos.clear();
}

void planFrame(FramePlan& out, const Layout& layout, const FrameState& state,
               TextMeasure* measure) {
    out.clear();
    Planner(out, layout, state, measure).planAll();
}

namespace {
int boardRows(const Contestant* table, int count) {
    int rows = 0;
    for (int p = 1, places = placesOf(table, count); p <= places; ++p) {
        const int holders = static_cast<int>(
            std::count_if(table, table + count, [p](const Contestant& c) { return c.place == p; }));
        rows += std::max(holders, 1);
    }
    return rows;
}
}  // namespace

int rowsToShow(const FrameState& state) {
    const int count = std::clamp(state.contestantCount, 0, MAX_CONTESTANTS);
    int rows = count;
    if (state.resultsReady) rows = std::max(rows, boardRows(state.contestants, count));
    if (state.hasWeeklyData)
        rows = std::max(rows, boardRows(state.weeklyTotals, std::clamp(state.weeklyCount, 0, MAX_CONTESTANTS)));
    return rows;
}

int maxPlace(const Contestant* table, int count) {
    int highest = 0;
    for (int i = 0; i < count; ++i) highest = std::max(highest, static_cast<int>(table[i].place));
    return highest;
}
