#include "output/ExportTable.h"

#include "core/TimeStamp.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Contestant entry(const char* name, int32_t ms, int32_t score, int32_t place) {
    Contestant c = {};
    std::strncpy(c.name, name, sizeof c.name - 1);
    c.elapsedMs = ms;
    c.score = score;
    c.place = place;
    return c;
}

TEST(ExportTable, FieldsThatWouldBeFormulasOrBreakTheRowStayText) {
    EXPECT_EQ(csvField("张伟"), "张伟");
    EXPECT_EQ(csvField("=1+1"), "'=1+1");
    EXPECT_EQ(csvField("+86"), "'+86");
    EXPECT_EQ(csvField("-x"), "'-x");
    EXPECT_EQ(csvField("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("01'05.43\""), "\"01'05.43\"\"\"");
    EXPECT_EQ(csvField("=a,\"b\""), "\"'=a,\"\"b\"\"\"");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("a\rb"), "\"a\rb\"") << "a lone CR ends a row for some readers";
    EXPECT_EQ(csvField("a\nb"), "\"a\nb\"");
}

TEST(ExportTable, RowsFollowThePlacesOfBothBoards) {
    Contestant results[3] = {entry("张伟", 61000, 0, 2), entry("李娜", 59000, 0, 1),
                             entry("王芳", NO_TIME, 0, 3)};
    // The class's weekly board: 赵六 ran in another heat.
    Contestant weekly[3] = {entry("张伟", 3725000, 12, 1), entry("赵六", 59000, -3, 3),
                            entry("王芳", 0, 12, 1)};
    ExportBoards boards = {results, true, weekly, true, 3, 3};
    EXPECT_EQ(exportTable(boards),
              "榜单,名次,序号,姓名,时间,毫秒,得分\r\n"
              "本场成绩,1,2,李娜,\"00'59.00\"\"\",59000,0\r\n"
              "本场成绩,2,1,张伟,\"01'01.00\"\"\",61000,0\r\n"
              "本场成绩,3,3,王芳,未计时,,0\r\n"
              "周冠军榜,1,1,张伟,\"02'05.00\"\"\",3725000,12\r\n"
              "周冠军榜,1,3,王芳,\"00'00.00\"\"\",0,12\r\n"
              "周冠军榜,3,,赵六,\"00'59.00\"\"\",59000,-3\r\n");
    boards.weeklyCount = 2;
    EXPECT_EQ(exportTable(boards).substr(exportTable(boards).find("周冠军榜")),
              "周冠军榜,1,1,张伟,\"02'05.00\"\"\",3725000,12\r\n周冠军榜,3,,赵六,\"00'59.00\"\"\",59000,-3\r\n");
}

TEST(ExportTable, BoardsWithoutDataHaveNoRows) {
    Contestant results[1] = {entry("=危险", 1000, 0, 1)};
    ExportBoards none = {results, false, results, false, 1, 1};
    EXPECT_EQ(exportTable(none), "榜单,名次,序号,姓名,时间,毫秒,得分\r\n");
    ExportBoards onlyResults = {results, true, nullptr, true, 1, 1};
    EXPECT_NE(exportTable(onlyResults).find(",'=危险,"), std::string::npos);
    EXPECT_EQ(exportTable(ExportBoards{results, true, nullptr, false, -1, 0}),
              "榜单,名次,序号,姓名,时间,毫秒,得分\r\n");
}

}  // namespace
