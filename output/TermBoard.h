// The term board: each child's progress over a range of days, from the
// records file. One row per name with a result in the range, in races of one
// mode; the child's best of each week of the range; what it gained from the
// first week it ran to the latest; the class's median of every week for
// comparison; and the chart of one row, planned here and drawn by the
// windows.
#pragma once

#include "core/TimeStamp.h"
#include "records/RecordsScan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A child's best of one week: in a timed race the shortest time, in an
// obstacle race the highest score, then the shortest time.
struct TermBest {
    bool ran = false;
    int32_t elapsedMs = 0;
    int32_t score = 0;
};

struct TermRow {
    std::string name;             // code page 936
    int races = 0;                // races with a result in the range
    std::size_t firstWeek = 0;    // the first and the latest week it ran
    std::size_t latestWeek = 0;
    // From the first of those weeks to the latest: hundredths of a second
    // faster (as the times show, to the hundredth), or points more.
    int64_t progress = 0;
    std::vector<TermBest> weeks;  // one per week of the board
};

struct TermMedian {
    bool any = false;  // somebody ran that week
    double value = 0;  // milliseconds, or points
};

struct TermBoard {
    LocalTime from{}, to{};          // whole days, both included
    bool obstacle = false;
    std::vector<LocalTime> mondays;  // the weeks the range touches
    std::vector<TermRow> rows;       // the most progress first, then by name
    std::vector<TermMedian> median;  // of the children's bests, week by week
};

// The longest range a board covers: a school year, a column a week.
constexpr int TERM_MOST_DAYS = 366;

// From the records file's bytes (any encoding the records reader takes), the
// races of the given mode held from 00:00 of `from` to the end of `to`.
// Lines without a result (a clock that never ran, a time of 0 or below) count
// for nothing, as on the weekly board. An empty board when to is before from
// or the range is longer than TERM_MOST_DAYS.
TermBoard computeTermBoard(std::string_view records, const LocalTime& from, const LocalTime& to,
                           bool obstacle, const NameToAnsi& nameToAnsi);

// The board of some of its children only (the boys, the girls): the rows
// `keep` accepts, and the class's median of each week among them.
void keepTermRows(TermBoard& board, const std::function<bool(const TermRow& row)>& keep);

// The first day of the term `today` lies in: 1 September for September to
// January, 1 February for February to August.
LocalTime termStart(const LocalTime& today);

// The table as the dialog lists it and the export writes it: 姓名, 场次,
// 第一周最好, 最近一周最好, 进步, then each week's Monday ("12-07"). A best
// shows as in 成绩管理: 00'12.34" (1:02:05.41 from an hour on), and in an
// obstacle race its score first: 95分 00'48.21".
std::vector<std::string> termHeadings(const TermBoard& board);
std::vector<std::string> termCells(const TermBoard& board, const TermRow& row);
// 进步 as it is shown: "+2.00" (seconds faster), "-0.50", "+0.00"; "+5" points.
std::string termProgressText(const TermBoard& board, const TermRow& row);
// The whole table for a spreadsheet, in code page 936 with CR LF line ends;
// 进步 as a number (2.00, -0.50, 5), every text cell kept from being a formula.
std::string termTable(const TermBoard& board);

// Where one row's chart goes in a box of width x height pixels: the name and
// 进步 above, the plot below with better values higher (a shorter time, a
// higher score), the child's weekly bests and the class's median as lines
// through the weeks that have one, grid lines at round values labelled on
// the left, and week dates below, as many as fit.
struct ChartPoint {
    float x, y;
};
struct ChartText {
    float x, y;  // top left
    float size;  // em size in pixels
    std::string text;
};
struct TermChartPlan {
    float left, top, right, bottom;  // the plot
    ChartText title;
    std::vector<ChartPoint> child;
    std::vector<ChartPoint> median;
    std::vector<float> grid;         // y of each grid line
    std::vector<ChartText> labels;   // the grid's values and the week dates
};
TermChartPlan planTermChart(const TermBoard& board, std::size_t row, float width, float height,
                            float textSize);
