#include "output/ExportTable.h"

#include "core/TextFields.h"
#include "core/TimeStamp.h"
#include "records/TimeText.h"

#include <cstdio>

namespace {

int clampCount(int count) { return count < 0 ? 0 : (count > MAX_CONTESTANTS ? MAX_CONTESTANTS : count); }

// The contestant's number in the heat, by name; empty for a child not in it.
std::string numberIn(const ExportBoards& boards, const Contestant& entry) {
    for (int i = 0; boards.results && i < clampCount(boards.count); ++i)
        if (fixedText(boards.results[i].name) == fixedText(entry.name)) return getStrInt(i + 1);
    return std::string();
}

void addBoard(std::string& out, const char* board, const Contestant* table, int count, bool withTimes,
              const ExportBoards& boards) {
    int highest = 0;
    for (int i = 0; i < count; ++i) highest = table[i].place > highest ? table[i].place : highest;
    for (int place = 1; place <= highest; ++place) {
        for (int i = 0; i < count; ++i) {
            const Contestant& c = table[i];
            if (c.place != place) continue;
            // Weekly sums are always times; in a race NO_TIME means never started.
            const bool timed = withTimes || c.elapsedMs != NO_TIME;
            out += csvField(board) + "," + getStrInt(place) + "," + (withTimes ? numberIn(boards, c) : getStrInt(i + 1)) + "," +
                   csvField(fixedText(c.name)) + "," +
                   csvField(timed ? formatTime((uint32_t)c.elapsedMs) : "未计时") + "," +
                   (timed ? getStrInt(c.elapsedMs) : "") + "," + getStrInt(c.score) + "\r\n";
        }
    }
}

}  // namespace

std::string csvField(std::string_view value) {
    std::string text(value);
    // =, +, - or @ at the start would make a spreadsheet evaluate the cell.
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@'))
        text.insert(0, "'");
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char ch : text) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return quoted + "\"";
}

std::string exportTable(const ExportBoards& boards) {
    std::string out = "榜单,名次,序号,姓名,时间,毫秒,得分\r\n";
    if (boards.results && boards.resultsReady)
        addBoard(out, "本场成绩", boards.results, clampCount(boards.count), false, boards);
    if (boards.weekly && boards.hasWeeklyData)
        addBoard(out, "周冠军榜", boards.weekly, clampCount(boards.weeklyCount), true, boards);
    return out;
}
