#include "output/FramePlan.h"

#include <algorithm>

#include "core/TextFields.h"
#include "output/TimeText.h"

namespace {

constexpr double INDENT_OF_COLUMN = 0.7f;  // single precision: 213 gives 149
constexpr double TIPS_ROWS_FROM_BOTTOM = 0.7;

class Planner {
public:
    Planner(FramePlan& out, const Layout& layout, const FrameState& state)
        : out_(out), l_(layout), s_(state),
          count_(std::clamp(state.contestantCount, 0, MAX_CONTESTANTS)) {}

    void planAll() {
        add(PathKind::Title, l_.titleX, l_.titleY, l_.titleSize, s_.raceTitle);
        add(PathKind::Text, truncToInt(l_.margin),
            truncToInt(l_.frameHeight - l_.rowHeight * TIPS_ROWS_FROM_BOTTOM), l_.textSize,
            s_.tips);
        planHeadings();
        for (int i = 0; i < count_; ++i) planContestantRow(i);
        if (s_.hasWeeklyData) planBoard(s_.weeklyTotals, l_.weeklyX, true);
        if (s_.resultsReady) planBoard(s_.contestants, l_.resultsX, false);
    }

private:
    void add(PathKind path, int x, int y, int size, std::string_view text) {
        if (!text.empty()) out_.texts.push_back(TextOp{path, x, y, size, std::string(text)});
    }

    void addDigits(int x, int y, std::string_view text) {
        add(PathKind::Digit, x, y, l_.digitSize, text);
    }

    void addPhoto(int contestant, int x, int y) {
        if (s_.contestants[contestant].faceImage)
            out_.photos.push_back(PhotoOp{contestant, x, y, l_.photoWidth, l_.photoHeight});
    }

    void planHeadings() {
        const char* results = s_.resultsReady ? "结果排行榜" : "排行榜待显示";
        const char* weekly = s_.hasWeeklyData ? "周冠军排行榜" : "周排名无数据！";
        add(PathKind::Text, l_.leftMargin, l_.headerY, l_.headerSize, "参赛人员");
        add(PathKind::Text, l_.resultsX, l_.headerY, l_.headerSize, results);
        add(PathKind::Text, l_.weeklyX, l_.headerY, l_.headerSize, weekly);
    }

    void planContestantRow(int i) {
        const Contestant& c = s_.contestants[i];
        const int row = l_.firstRowY + i * l_.rowHeight;
        const double afterPhoto = static_cast<double>(l_.leftMargin) + l_.photoWidth + l_.margin;
        std::string label = getStrInt(i + 1) + " ";
        label += fixedText(c.name);
        add(PathKind::Text, l_.leftMargin, row, l_.textSize, label);
        addPhoto(i, l_.leftMargin + l_.columnWidth, row);
        addDigits(truncToInt(afterPhoto + l_.columnWidth), row, clockText(c, s_.nowTick));
        if (s_.isZhangai)
            addDigits(truncToInt(afterPhoto + 2.0 * l_.columnWidth), row, getStrInt(c.score));
    }

    // One row per entry, entries of a shared place one below the other in
    // index order with the label on the first; a place nobody holds still
    // gets its label on a row of its own.
    void planBoard(const Contestant* table, int boardX, bool showsTimes) {
        const int indent = truncToInt(l_.columnWidth * INDENT_OF_COLUMN);
        const int nameX = boardX + indent;
        // Places never exceed the number of entries; the bound keeps a
        // damaged table from asking for billions of rows.
        const int places = std::min(maxPlace(table, count_), MAX_CONTESTANTS);
        int extraRows = 0;
        for (int p = 1; p <= places; ++p) {
            const int placeRow = l_.firstRowY + (extraRows + p - 1) * l_.rowHeight;
            add(PathKind::Text, boardX, placeRow, l_.textSize, "第" + getStrInt(p) + "名：");
            int sharing = 0;
            for (int k = 0; k < count_; ++k) {
                if (table[k].place != p) continue;
                const int row = placeRow + sharing * l_.rowHeight;
                add(PathKind::Text, nameX, row, l_.textSize, fixedText(table[k].name));
                addPhoto(k, nameX + indent, row);
                if (showsTimes) planSums(table[k], nameX, indent, row);
                ++sharing;
            }
            extraRows += std::max(sharing - 1, 0);
        }
    }

    void planSums(const Contestant& entry, int nameX, int indent, int row) {
        addDigits(nameX + 2 * indent - l_.photoWidth, row,
                  formatTime(static_cast<uint32_t>(entry.elapsedMs)));
        const double scoreX =
            static_cast<double>(nameX) + 3.0 * indent - l_.photoWidth + 2.0 * l_.margin;
        addDigits(truncToInt(scoreX), row, getStrInt(entry.score));
    }

    FramePlan& out_;
    const Layout& l_;
    const FrameState& s_;
    const int count_;
};

}  // namespace

void FramePlan::clear() {
    texts.clear();
    photos.clear();
}

void planFrame(FramePlan& out, const Layout& layout, const FrameState& state) {
    out.clear();
    Planner(out, layout, state).planAll();
}

int maxPlace(const Contestant* table, int count) {
    int highest = 0;
    for (int i = 0; i < count; ++i) highest = std::max(highest, static_cast<int>(table[i].place));
    return highest;
}
