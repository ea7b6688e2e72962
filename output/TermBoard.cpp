#include "output/TermBoard.h"

#include "core/TextFields.h"
#include "output/ExportTable.h"
#include "records/Ranking.h"
#include "records/TimeText.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace {

LocalTime dayOf(const LocalTime& t) { return LocalTime{t.year, t.month, t.day, 0, 0, 0}; }

// A week's best is the result its race's rule places first.
bool isBetter(const RecordsRow& row, const TermBest& best, bool obstacle) {
    return !best.ran || placesBefore(row.elapsedMs, row.score, best.elapsedMs, best.score, obstacle);
}

// What the chart and the median compare: the time, or the score.
int64_t valueOf(const TermBest& best, bool obstacle) { return obstacle ? best.score : best.elapsedMs; }

// The rows by name: a name's bytes as the file holds them are turned into
// the program's text once, however often the file repeats them.
class RowsByName {
public:
    RowsByName(TermBoard* board, const NameToAnsi& toAnsi) : board_(board), toAnsi_(toAnsi) {}

    // `fileName` points into the records bytes, which outlive the board's
    // making: the same bytes find their row again without being turned.
    std::size_t rowOf(std::string_view fileName, TextEncoding encoding) {
        const auto seen = byBytes_.find(fileName);
        if (seen != byBytes_.end()) return seen->second;
        if (!names_) names_ = std::make_unique<RecordsNames>(toAnsi_, encoding);
        const std::string name(names_->ansi(fileName));
        auto found = byName_.find(name);
        if (found == byName_.end()) {
            found = byName_.emplace(name, board_->rows.size()).first;
            TermRow row;
            row.name = name;
            row.weeks.resize(board_->mondays.size());
            board_->rows.push_back(std::move(row));
            lastRace_.push_back(SIZE_MAX);
        }
        byBytes_.emplace(fileName, found->second);
        return found->second;
    }
    // True once for each race a row has a result in.
    bool firstInRace(std::size_t row, std::size_t race) {
        if (lastRace_[row] == race) return false;
        lastRace_[row] = race;
        return true;
    }

private:
    TermBoard* board_;
    const NameToAnsi& toAnsi_;
    std::unique_ptr<RecordsNames> names_;
    std::unordered_map<std::string_view, std::size_t> byBytes_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::vector<std::size_t> lastRace_;
};

void settleRow(TermRow& row, bool obstacle) {
    std::size_t first = row.weeks.size(), latest = 0;
    for (std::size_t w = 0; w < row.weeks.size(); ++w) {
        if (!row.weeks[w].ran) continue;
        first = std::min(first, w);
        latest = w;
    }
    row.firstWeek = first;
    row.latestWeek = latest;
    const TermBest& a = row.weeks[first];
    const TermBest& b = row.weeks[latest];
    row.progress = obstacle ? (int64_t)b.score - a.score : (int64_t)(a.elapsedMs / 10) - b.elapsedMs / 10;
}

std::vector<TermMedian> mediansOf(const TermBoard& board) {
    std::vector<TermMedian> medians(board.mondays.size());
    std::vector<int64_t> values;
    for (std::size_t w = 0; w < medians.size(); ++w) {
        values.clear();
        for (const TermRow& row : board.rows)
            if (row.weeks[w].ran) values.push_back(valueOf(row.weeks[w], board.obstacle));
        if (values.empty()) continue;
        const std::size_t half = values.size() / 2;
        std::nth_element(values.begin(), values.begin() + half, values.end());
        double median = (double)values[half];
        if (values.size() % 2 == 0)
            median = (median + (double)*std::max_element(values.begin(), values.begin() + half)) / 2;
        medians[w] = TermMedian{true, median};
    }
    return medians;
}

// As 成绩管理 shows a time: as the boards do below an hour, with its hours
// from an hour on, which the boards drop.
std::string bestText(const TermBest& best, bool obstacle) {
    if (!best.ran) return std::string();
    const std::string time = resultTimeText(best.elapsedMs);
    return obstacle ? getStrInt(best.score) + "分 " + time : time;
}

std::string monthDay(const LocalTime& t) { return formatDate(t).substr(5); }

}  // namespace

TermBoard computeTermBoard(std::string_view records, const LocalTime& from, const LocalTime& to,
                           bool obstacle, const NameToAnsi& nameToAnsi) {
    TermBoard board;
    board.from = dayOf(from);
    board.to = dayOf(to);
    board.obstacle = obstacle;
    const int64_t begin = toSerialSeconds(board.from);
    const int64_t end = toSerialSeconds(board.to) + SECONDS_PER_DAY;
    if (end <= begin || end - begin > TERM_MOST_DAYS * SECONDS_PER_DAY) return board;
    const int64_t firstMonday = toSerialSeconds(weekWindowStart(board.from));
    for (int64_t monday = firstMonday; monday < end; monday += SECONDS_PER_WEEK)
        board.mondays.push_back(fromSerialSeconds(monday));

    // Each race is seen once: a file of years needs no memory of its races.
    RowsByName rows(&board, nameToAnsi);
    std::size_t raceNumber = 0;
    forEachRecordsRace(records, [&](const RecordsRace& race, TextEncoding encoding) {
        ++raceNumber;
        const int64_t at = toSerialSeconds(race.time);
        if (race.obstacle != obstacle || at < begin || at >= end) return;
        const std::size_t week = (std::size_t)((at - firstMonday) / SECONDS_PER_WEEK);
        for (const RecordsRow& line : race.rows) {
            if (!isCountedTime(line.elapsedMs) || line.name.empty()) continue;
            const std::size_t index = rows.rowOf(line.name, encoding);
            TermRow& row = board.rows[index];
            if (rows.firstInRace(index, raceNumber)) ++row.races;
            if (isBetter(line, row.weeks[week], obstacle))
                row.weeks[week] = TermBest{true, line.elapsedMs, line.score};
        }
    });
    for (TermRow& row : board.rows) settleRow(row, obstacle);
    std::sort(board.rows.begin(), board.rows.end(), [](const TermRow& a, const TermRow& b) {
        // Code page 936 orders its common hanzi by their pinyin.
        return a.progress != b.progress ? a.progress > b.progress : a.name < b.name;
    });
    board.median = mediansOf(board);
    return board;
}

void keepTermRows(TermBoard& board, const std::function<bool(const TermRow& row)>& keep) {
    board.rows.erase(std::remove_if(board.rows.begin(), board.rows.end(),
                                    [&](const TermRow& row) { return !keep(row); }),
                     board.rows.end());
    board.median = mediansOf(board);
}

LocalTime termStart(const LocalTime& today) {
    if (today.month >= 9) return LocalTime{today.year, 9, 1, 0, 0, 0};
    if (today.month == 1) return LocalTime{today.year - 1, 9, 1, 0, 0, 0};
    return LocalTime{today.year, 2, 1, 0, 0, 0};
}

std::vector<std::string> termHeadings(const TermBoard& board) {
    std::vector<std::string> headings = {"姓名", "场次", "第一周最好", "最近一周最好", "进步"};
    for (const LocalTime& monday : board.mondays) headings.push_back(monthDay(monday));
    return headings;
}

std::string termProgressText(const TermBoard& board, const TermRow& row) {
    const int64_t gained = row.progress;
    const uint64_t size = gained < 0 ? 0 - (uint64_t)gained : (uint64_t)gained;
    char text[48];
    if (board.obstacle)
        std::snprintf(text, sizeof text, "%c%llu", gained < 0 ? '-' : '+', (unsigned long long)size);
    else
        std::snprintf(text, sizeof text, "%c%llu.%02u", gained < 0 ? '-' : '+', (unsigned long long)(size / 100),
                      (unsigned)(size % 100));
    return text;
}

std::vector<std::string> termCells(const TermBoard& board, const TermRow& row) {
    std::vector<std::string> cells = {row.name, getStrInt(row.races),
                                      bestText(row.weeks[row.firstWeek], board.obstacle),
                                      bestText(row.weeks[row.latestWeek], board.obstacle),
                                      termProgressText(board, row)};
    for (const TermBest& best : row.weeks) cells.push_back(bestText(best, board.obstacle));
    return cells;
}

std::string termTable(const TermBoard& board) {
    std::string out;
    const auto addLine = [&out](const std::vector<std::string>& cells, const std::string* progress) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            out += (i ? "," : "") + (i == 4 && progress ? *progress : csvField(cells[i]));
        out += "\r\n";
    };
    addLine(termHeadings(board), nullptr);
    for (const TermRow& row : board.rows) {
        // A number a spreadsheet sorts: no sign before a gain, and no guard,
        // since a plain number is no formula.
        std::string progress = termProgressText(board, row);
        if (progress[0] == '+') progress.erase(0, 1);
        addLine(termCells(board, row), &progress);
    }
    return out;
}

// --- the chart ---

namespace {

int64_t floorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Round grid values: 1, 2 or 5 times a power of ten, at most four steps
// across, never finer than a hundredth of a second or one point.
int64_t gridStep(int64_t span, bool obstacle) {
    int64_t step = obstacle ? 1 : 10;
    for (int i = 0; span > 4 * step; i = (i + 1) % 3) step = i == 1 ? step * 5 / 2 : step * 2;
    return step;
}

// A grid value as the axis shows it: seconds (1'05.5 past a minute) to the
// step's precision, or points.
std::string gridText(int64_t value, int64_t step, bool obstacle) {
    if (obstacle) return std::to_string(value);
    const int decimals = step % 1000 == 0 ? 0 : step % 100 == 0 ? 1 : 2;
    const int64_t unit = decimals == 0 ? 1000 : decimals == 1 ? 100 : 10;
    const int64_t seconds = value / 1000 % 60, minutes = value / 60000;
    std::string text = minutes ? std::to_string(minutes) + "'" : std::string();
    char part[32];
    std::snprintf(part, sizeof part, minutes ? "%02lld" : "%lld", (long long)seconds);
    text += part;
    if (decimals) {
        std::snprintf(part, sizeof part, ".%0*lld", decimals, (long long)(value % 1000 / unit));
        text += part;
    }
    return text;
}

}  // namespace

TermChartPlan planTermChart(const TermBoard& board, std::size_t row, float width, float height,
                            float textSize) {
    TermChartPlan plan{};
    if (row >= board.rows.size()) return plan;
    const TermRow& child = board.rows[row];
    const float titleSize = textSize * 1.25f;
    plan.title = ChartText{textSize * 0.2f, 0, titleSize, child.name + "  进步 " + termProgressText(board, child)};

    int64_t low = INT64_MAX, high = INT64_MIN;
    for (std::size_t w = 0; w < board.mondays.size(); ++w) {
        for (int64_t v : {child.weeks[w].ran ? valueOf(child.weeks[w], board.obstacle) : INT64_MAX,
                          board.median[w].any ? (int64_t)board.median[w].value : INT64_MAX}) {
            if (v == INT64_MAX) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    // A single value, or a few close ones, sits amid a span that still reads.
    const int64_t least = board.obstacle ? 4 : 1000;
    if (high - low < least) {
        const int64_t middle = low + (high - low) / 2;
        low = middle - least / 2;
        high = low + least;
    }
    const int64_t step = gridStep(high - low, board.obstacle);
    low = floorDiv(low, step) * step;
    high = -floorDiv(-high, step) * step;
    if (!board.obstacle) low = std::max<int64_t>(low, 0);

    std::size_t widest = 0;
    std::vector<std::string> values;
    for (int64_t v = low; v <= high; v += step) {
        values.push_back(gridText(v, step, board.obstacle));
        widest = std::max(widest, values.back().size());
    }
    plan.left = textSize * (0.55f * (float)widest + 0.8f);
    plan.top = titleSize * 1.6f + textSize * 0.5f;
    plan.right = width - textSize * 0.8f;
    plan.bottom = height - textSize * 1.8f;
    // Better is higher: a shorter time, a higher score.
    const auto yOf = [&](double v) {
        const float share = (float)((v - (double)low) / (double)(high - low));
        return board.obstacle ? plan.bottom - share * (plan.bottom - plan.top)
                              : plan.top + share * (plan.bottom - plan.top);
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float y = yOf((double)(low + (int64_t)i * step));
        plan.grid.push_back(y);
        plan.labels.push_back(ChartText{textSize * 0.2f, y - textSize * 0.6f, textSize, values[i]});
    }

    const std::size_t weeks = board.mondays.size();
    const float slot = (plan.right - plan.left) / (float)std::max<std::size_t>(weeks, 1);
    const std::size_t every = std::max<std::size_t>(1, (std::size_t)(textSize * 3.4f / slot) + 1);
    for (std::size_t w = 0; w < weeks; ++w) {
        const float x = plan.left + slot * ((float)w + 0.5f);
        if (child.weeks[w].ran)
            plan.child.push_back(ChartPoint{x, yOf((double)valueOf(child.weeks[w], board.obstacle))});
        if (board.median[w].any) plan.median.push_back(ChartPoint{x, yOf(board.median[w].value)});
        if (w % every == 0)
            plan.labels.push_back(
                ChartText{x - textSize * 1.4f, plan.bottom + textSize * 0.3f, textSize, monthDay(board.mondays[w])});
    }
    return plan;
}
