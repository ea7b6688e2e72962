#include "output/FramePlan.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The layout of a 1920 x 1080 frame with a 1600 x 400 logo, a 300 x 400
// default photo and "姓名" 52 pixels high.
Layout exampleLayout() {
    return computeLayout(LayoutInput{1920, 1080, 1600, 400, 300, 400}, layoutFontSizes(1920),
                         1000, 52);
}

struct Scene {
    Contestant contestants[MAX_CONTESTANTS] = {};
    Contestant weekly[MAX_CONTESTANTS] = {};
    int photo = 0;
    FrameState state{contestants, weekly, 0, false, false, false, "Title", "Tips", 0};

    void add(const char* name, int place, int weeklyPlace) {
        const int i = state.contestantCount++;
        std::strcpy(contestants[i].name, name);
        std::strcpy(weekly[i].name, name);
        contestants[i].faceImage = &photo;
        contestants[i].place = place;
        weekly[i].place = weeklyPlace;
    }

    FramePlan plan() const {
        FramePlan p;
        planFrame(p, exampleLayout(), state);
        return p;
    }
};

const TextOp* findText(const FramePlan& plan, const std::string& text, int nth = 0) {
    for (const TextOp& op : plan.texts) {
        if (op.text == text && nth-- == 0) return &op;
    }
    return nullptr;
}

::testing::AssertionResult textAt(const FramePlan& plan, const std::string& text, int x, int y,
                                  int nth = 0) {
    const TextOp* op = findText(plan, text, nth);
    if (!op) return ::testing::AssertionFailure() << "no text " << text;
    if (op->x != x || op->y != y)
        return ::testing::AssertionFailure() << text << " at " << op->x << "," << op->y;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(FramePlan, AnEmptyRaceHasTitleTipsAndTheWaitingHeadings) {
    Scene scene;
    const FramePlan plan = scene.plan();
    ASSERT_EQ(plan.texts.size(), 5u);
    EXPECT_EQ(plan.texts[0].path, PathKind::Title);
    EXPECT_EQ(plan.texts[0].size, 83);
    EXPECT_TRUE(textAt(plan, "Title", 460, 32));
    EXPECT_TRUE(textAt(plan, "Tips", 32, 1003));
    EXPECT_TRUE(textAt(plan, "参赛人员", 32, 193));
    EXPECT_TRUE(textAt(plan, "排行榜待显示", 737, 193));
    EXPECT_TRUE(textAt(plan, "周排名无数据！", 1214, 193));
    EXPECT_EQ(plan.texts[4].size, 49);
    EXPECT_TRUE(plan.photos.empty());

    scene.state.raceTitle = "";
    scene.state.tips = "";
    EXPECT_EQ(scene.plan().texts.size(), 3u) << "empty texts add nothing";
}

TEST(FramePlan, ContestantRowsCarryLabelPhotoClockAndScoreInObstacleRaces) {
    Scene scene;
    scene.add("A", 0, 0);
    scene.add("B", 0, 0);
    scene.contestants[1].faceImage = nullptr;
    scene.contestants[0].timing = 1;
    scene.contestants[0].startTick = 1000;
    scene.contestants[1].score = -3;
    scene.state.nowTick = 66432;
    scene.state.isZhangai = true;
    const FramePlan plan = scene.plan();
    EXPECT_TRUE(textAt(plan, "1 A", 32, 334));
    EXPECT_TRUE(textAt(plan, "01'05.43\"", 342, 334));
    EXPECT_TRUE(textAt(plan, "0", 555, 334));
    EXPECT_TRUE(textAt(plan, "2 B", 32, 443));
    EXPECT_TRUE(textAt(plan, "00'00.00\"", 342, 443));
    EXPECT_TRUE(textAt(plan, "-3", 555, 443));
    EXPECT_EQ(findText(plan, "-3")->path, PathKind::Digit);
    EXPECT_EQ(findText(plan, "-3")->size, 39);
    ASSERT_EQ(plan.photos.size(), 1u) << "no photo, no photo op";
    EXPECT_EQ(plan.photos[0].x, 245);
    EXPECT_EQ(plan.photos[0].y, 334);
    EXPECT_EQ(plan.photos[0].w, 65);
    EXPECT_EQ(plan.photos[0].h, 87);

    scene.state.isZhangai = false;
    EXPECT_EQ(findText(scene.plan(), "-3"), nullptr) << "timed races show no score";
}

TEST(FramePlan, ResultsBoardShowsPlacesNamesAndPhotosOnly) {
    Scene scene;
    scene.add("A", 1, 0);
    scene.add("B", 2, 0);
    scene.add("C", 1, 0);
    scene.state.resultsReady = true;
    const FramePlan plan = scene.plan();
    EXPECT_TRUE(textAt(plan, "结果排行榜", 737, 193));
    // Shared place 1: A with the label, C below without; place 2 after them.
    EXPECT_TRUE(textAt(plan, "第1名：", 737, 334));
    EXPECT_TRUE(textAt(plan, "A", 886, 334));
    EXPECT_TRUE(textAt(plan, "C", 886, 443));
    EXPECT_TRUE(textAt(plan, "第2名：", 737, 552));
    EXPECT_TRUE(textAt(plan, "B", 886, 552));
    EXPECT_EQ(findText(plan, "第3名："), nullptr);
    ASSERT_EQ(plan.photos.size(), 6u);
    EXPECT_EQ(plan.photos[3].contestant, 0);
    EXPECT_EQ(plan.photos[3].x, 1035);
    EXPECT_EQ(plan.photos[4].contestant, 2);
    EXPECT_EQ(plan.photos[4].y, 443);
    // Only the three rows' clocks are digits: the board adds none.
    int digits = 0;
    for (const TextOp& op : plan.texts) digits += op.path == PathKind::Digit;
    EXPECT_EQ(digits, 3);
}

TEST(FramePlan, WeeklyBoardShowsSumsAndThePhotosOfTheRace) {
    Scene scene;
    scene.add("A", 0, 2);
    scene.add("B", 0, 2);
    scene.weekly[0].elapsedMs = 3725000;
    scene.weekly[0].score = 12;
    scene.contestants[1].faceImage = nullptr;
    scene.state.hasWeeklyData = true;
    const FramePlan plan = scene.plan();
    EXPECT_TRUE(textAt(plan, "周冠军排行榜", 1214, 193));
    // Place 1 is held by nobody: its label stands alone on the first row.
    EXPECT_TRUE(textAt(plan, "第1名：", 1214, 334));
    EXPECT_TRUE(textAt(plan, "第2名：", 1214, 443));
    EXPECT_TRUE(textAt(plan, "A", 1363, 443));
    EXPECT_TRUE(textAt(plan, "02'05.00\"", 1596, 443));
    EXPECT_TRUE(textAt(plan, "12", 1809, 443));
    EXPECT_TRUE(textAt(plan, "B", 1363, 552));
    ASSERT_EQ(plan.photos.size(), 2u);
    EXPECT_EQ(plan.photos[1].x, 1512);
    EXPECT_EQ(plan.photos[1].contestant, 0);
}

TEST(FramePlan, MaxPlaceCountsOnlyPositivePlacesOfTheFirstEntries) {
    Contestant table[3] = {};
    table[0].place = -4;
    table[1].place = 2;
    table[2].place = 7;
    EXPECT_EQ(maxPlace(table, 0), 0);
    EXPECT_EQ(maxPlace(table, 1), 0);
    EXPECT_EQ(maxPlace(table, 2), 2);
}
