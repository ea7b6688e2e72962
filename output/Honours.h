// Who is honoured with a certificate (奖状), beside the boards it comes
// from: the week's champion (本周冠军) and the term's stars of progress
// (进步之星). With 性别 known the boys and the girls are honoured apart.
// Texts are in code page 936, as the program holds them.
#pragma once

#include "core/TimeStamp.h"
#include "output/TermBoard.h"
#include "records/RecordsScan.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class HonourKind { WeekChampion, ProgressStar };

struct Honoured {
    std::string name;         // as the records file and the boards name the child
    std::string sex;          // 男 or 女 when honoured among the boys or the girls, else empty
    int place = 1;            // among those honoured with it: 1 to 3
    std::string achievement;  // what was achieved, in words, as the certificate says it
};

// "2026 年 12 月 7 日", as a certificate writes a day.
std::string dayInWords(const LocalTime& t);

// A name's 性别 as the class list knows it (男, 女), or empty.
using SexOf = std::function<std::string(const std::string& name)>;

// The term's stars of progress in the table shown: the three greatest gains
// (only a gain above zero counts), and every child tied with the third. With
// 性别 known for any child of the table, three boys and three girls so, and a
// child of unknown 性别 is honoured in neither. The achievement reads
// "本学期计时赛进步 0.61 秒" or "本学期障碍赛进步 5 分".
std::vector<Honoured> progressStars(const TermBoard& board, const SexOf& sexOf);

// The week's champions: the races of one mode held from `weekStart` (a
// Monday, 00:00) for seven days, every name that ran summed and placed by
// the weekly rule (placeWeekly), and the first place; with 性别 known for any
// of them, the first boy and the first girl instead. Ties all honoured. The
// achievement reads "在 2026 年 12 月 7 日这一周的计时赛中获得第一名，最好成绩
// 00'08.12"" ("获得男子第一名" for a boy), the best being the child's best
// race of the week by its mode's rule (an obstacle race's with its score:
// "95分 00'48.21"").
std::vector<Honoured> weekChampions(std::string_view records, const LocalTime& weekStart, bool obstacle,
                                    const NameToAnsi& toAnsi, const SexOf& sexOf);
