#include "output/Honours.h"

#include "core/RaceState.h"
#include "core/TextFields.h"
#include "records/Ranking.h"
#include "records/TimeText.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace {

constexpr int STARS = 3;

// The groups honoured each on its own: everybody while nobody's 性别 is
// known, the boys and the girls as soon as anybody's is. An empty group
// takes all.
std::vector<std::string_view> groupsOf(const std::vector<std::string>& sexes) {
    for (const std::string& sex : sexes)
        if (isKnownSex(sex)) return {SEX_MALE, SEX_FEMALE};
    return {std::string_view()};
}

bool inGroup(const std::string& sex, std::string_view group) { return group.empty() || sex == group; }

// Only a gain above zero is honoured, so no sign is ever needed.
std::string progressAchievement(bool obstacle, int64_t progress) {
    char amount[48];
    if (obstacle)
        std::snprintf(amount, sizeof amount, "%lld", (long long)progress);
    else
        std::snprintf(amount, sizeof amount, "%lld.%02d", (long long)(progress / 100), (int)(progress % 100));
    return std::string("本学期") + modeText(obstacle) + "进步 " + amount + (obstacle ? " 分" : " 秒");
}

// The names that ran in the week, in the order they first ran: a table the
// weekly rule places.
struct WeekSums {
    std::vector<std::string> names;
    std::vector<Contestant> totals;
    std::vector<int> races;
    std::vector<TermBest> best;

    std::size_t entryOf(const std::string& name, std::unordered_map<std::string, std::size_t>& index) {
        const auto found = index.emplace(name, names.size());
        if (found.second) {
            names.push_back(name);
            totals.push_back(Contestant{});
            races.push_back(0);
            best.push_back(TermBest{});
        }
        return found.first->second;
    }
};

// As the output window's weekly board sums a week: every counted line is a
// race, so that the champion on paper is the one the children saw.
WeekSums sumWeek(std::string_view records, const LocalTime& weekStart, bool obstacle, const NameToAnsi& toAnsi) {
    WeekSums week;
    const int64_t begin = toSerialSeconds(weekStart);
    const int64_t end = begin + SECONDS_PER_WEEK;
    std::unique_ptr<RecordsNames> names;
    std::unordered_map<std::string, std::size_t> index;
    forEachRecordsRace(records, [&](const RecordsRace& race, TextEncoding encoding) {
        const int64_t at = toSerialSeconds(race.time);
        if (race.obstacle != obstacle || at < begin || at >= end) return;
        if (!names) names = std::make_unique<RecordsNames>(toAnsi, encoding);
        for (const RecordsRow& line : race.rows) {
            if (!isCountedTime(line.elapsedMs) || line.name.empty()) continue;
            const std::size_t i = week.entryOf(std::string(names->ansi(line.name)), index);
            addToWeek(week.totals[i], week.races[i], line.elapsedMs, line.score);
            TermBest& best = week.best[i];
            if (!best.ran || placesBefore(line.elapsedMs, line.score, best.elapsedMs, best.score, obstacle))
                best = TermBest{true, line.elapsedMs, line.score};
        }
    });
    return week;
}

std::string championAchievement(const LocalTime& weekStart, bool obstacle, std::string_view group,
                                 const TermBest& best) {
    std::string text = "在 " + dayInWords(weekStart) + "这一周的" + modeText(obstacle) + "中获得";
    if (group == SEX_MALE) text += "男子";
    if (group == SEX_FEMALE) text += "女子";
    text += "第一名，最好成绩 ";
    if (obstacle) text += getStrInt(best.score) + "分 ";
    return text + resultTimeText(best.elapsedMs);
}

}  // namespace

std::string dayInWords(const LocalTime& t) {
    return std::to_string(t.year) + " 年 " + std::to_string(t.month) + " 月 " + std::to_string(t.day) + " 日";
}

std::vector<Honoured> progressStars(const TermBoard& board, const SexOf& sexOf) {
    std::vector<std::string> sexes;
    for (const TermRow& row : board.rows) sexes.push_back(sexOf(row.name));
    std::vector<Honoured> stars;
    for (std::string_view group : groupsOf(sexes)) {
        // The board already lists the most progress first, ties by name.
        int taken = 0, place = 0;
        int64_t last = 0;
        for (std::size_t i = 0; i < board.rows.size(); ++i) {
            const TermRow& row = board.rows[i];
            if (row.progress <= 0 || !inGroup(sexes[i], group)) continue;
            if (taken >= STARS && row.progress != last) break;
            if (taken == 0 || row.progress != last) ++place;
            last = row.progress;
            ++taken;
            stars.push_back(Honoured{row.name, std::string(group), place,
                                     progressAchievement(board.obstacle, row.progress)});
        }
    }
    return stars;
}

std::vector<Honoured> weekChampions(std::string_view records, const LocalTime& weekStart, bool obstacle,
                                    const NameToAnsi& toAnsi, const SexOf& sexOf) {
    WeekSums week = sumWeek(records, weekStart, obstacle, toAnsi);
    const int count = (int)week.names.size();
    placeWeekly(week.totals.data(), week.races.data(), count);
    std::vector<std::string> sexes;
    for (const std::string& name : week.names) sexes.push_back(sexOf(name));

    // The boys before the girls, each in the order they first ran that
    // week: the order the teacher saw them race in.
    std::vector<Honoured> champions;
    for (std::string_view group : groupsOf(sexes)) {
        // Every name here ran, so every one is placed; the group's best
        // place is its first whatever the other group holds.
        int first = 0;
        for (int i = 0; i < count; ++i)
            if (inGroup(sexes[i], group) && (first == 0 || week.totals[i].place < first)) first = week.totals[i].place;
        for (int i = 0; i < count; ++i)
            if (inGroup(sexes[i], group) && week.totals[i].place == first)
                champions.push_back(Honoured{week.names[i], std::string(group), 1,
                                             championAchievement(weekStart, obstacle, group, week.best[i])});
    }
    return champions;
}
