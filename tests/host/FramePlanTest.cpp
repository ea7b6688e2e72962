#include "output/CertificatePlan.h"
#include "output/FramePlan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

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
    FrameState state{contestants, weekly, 0, 0, false, false, false, "Title", "Tips", 0};
    Layout layout = exampleLayout();

    void add(const char* name, int place, int weeklyPlace) {
        const int i = state.contestantCount++;
        state.weeklyCount = state.contestantCount;
        std::strcpy(contestants[i].name, name);
        std::strcpy(weekly[i].name, name);
        contestants[i].faceImage = &photo;
        weekly[i].faceImage = &photo;
        contestants[i].place = place;
        weekly[i].place = weeklyPlace;
    }

    FramePlan plan() const {
        FramePlan p;
        planFrame(p, layout, state);
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
    EXPECT_EQ(rowsToShow(scene.state), 3);
    ASSERT_EQ(plan.photos.size(), 6u);
    EXPECT_EQ(plan.photos[3].contestant, 0);
    EXPECT_EQ(plan.photos[3].x, 1035);
    EXPECT_EQ(plan.photos[4].contestant, 2);
    EXPECT_EQ(plan.photos[4].y, 443);
    // Only the three rows' clocks are digits: the board adds none.
    int digits = 0;
    for (const TextOp& op : plan.texts) digits += op.path == PathKind::Digit;
    EXPECT_EQ(digits, 3);

    // 0.7f is 0.699999988: a column of 100 gives an indent of 69, not 70.
    scene.layout = computeLayout(LayoutInput{900, 600, 0, 0, 300, 400}, layoutFontSizes(900), 0, 32);
    ASSERT_EQ(scene.layout.columnWidth, 100);
    EXPECT_TRUE(textAt(scene.plan(), "A", scene.layout.resultsX + 69, scene.layout.firstRowY));

    // A place far beyond the roster (a damaged table) gets labels up to 8 only.
    Scene beyond;
    beyond.add("A", 100, 0);
    beyond.state.resultsReady = true;
    const FramePlan far = beyond.plan();
    EXPECT_NE(findText(far, "第8名："), nullptr);
    EXPECT_EQ(findText(far, "第9名："), nullptr);
    EXPECT_EQ(findText(far, "A"), nullptr) << "its place has no row";
    EXPECT_EQ(rowsToShow(beyond.state), 8);
}

TEST(FramePlan, WeeklyBoardShowsSumsAndThePhotosOfTheRace) {
    Scene scene;
    scene.add("A", 0, 2);
    scene.add("B", 0, 2);
    scene.weekly[0].elapsedMs = 3725000;
    scene.weekly[0].score = 12;
    scene.contestants[1].faceImage = nullptr;
    scene.weekly[1].faceImage = nullptr;
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
    EXPECT_TRUE(plan.photos[1].weekly);

    // The whole class's board: C, who ran in another heat, leads it with a
    // photo of its own; the heat's two follow.
    std::strcpy(scene.weekly[2].name, "C");
    scene.weekly[2].place = 1;
    scene.weekly[2].faceImage = &scene.photo;
    scene.state.weeklyCount = 3;
    const FramePlan whole = scene.plan();
    EXPECT_TRUE(textAt(whole, "C", 1363, 334));
    ASSERT_EQ(whole.photos.size(), 3u);
    EXPECT_EQ(whole.photos[1].contestant, 2);
    EXPECT_EQ(rowsToShow(scene.state), 3);
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

namespace {

// The text font as a model: a Chinese character (two bytes) an em wide, other
// characters a little over half, a sixth of an em of padding; lines 1.34 em
// high, so "姓名" at 39 is 52 high as in the worked example.
class ModelMeasure : public TextMeasure {
public:
    TextBox measure(PathKind, int size, std::string_view text) override {
        double ems = 0;
        for (char c : text) ems += static_cast<unsigned char>(c) >= 0x80 ? 0.5 : 0.55;
        return TextBox{static_cast<int>(ems * size) + size / 6, static_cast<int>(size * 1.34)};
    }
};

struct Box {
    int left, top, right, bottom;
    std::string what;
};

bool overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Eight contestants with the longest names, the board of a race in which
// `shared` entries share place 1, and a weekly board whose entries all hold
// place `weeklyPlace` (a stale board from an earlier roster: every place
// before it gets a label row of its own).
void fillScene(Scene& scene, int count, int shared, int weeklyPlace, bool obstacle) {
    const char* five = "\xC5\xB7\xD1\xF4\xC4\xC8\xC4\xC8\xC4\xC8";  // five characters
    for (int i = 0; i < count; ++i) {
        scene.add(five, i < shared ? 1 : i - shared + 2, weeklyPlace);
        scene.weekly[i].elapsedMs = 3599990;
        scene.weekly[i].score = -2147483647 + i;
        scene.contestants[i].score = -999999 - i;
        scene.contestants[i].stopTick = 3599990;
    }
    scene.state.resultsReady = true;
    scene.state.hasWeeklyData = true;
    scene.state.isZhangai = obstacle;
    scene.state.raceTitle = "\xB5\xDA\xCA\xAE\xB6\xFE\xBD\xEC\xC8\xAB\xD0\xA3\xC7\xF7\xCE\xB6"
                            "\xD5\xCF\xB0\xAD\xC8\xFC\xD7\xDC\xBE\xF6\xC8\xFC";
    scene.state.tips = "Tips";
}

}  // namespace

TEST(FramePlan, EveryRowFitsEveryFrameClearOfTheTipsAndOfEachOther) {
    const int frames[][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}, {1024, 768}, {800, 600},
                             {100, 100}, {8000, 3000}, {1080, 1920}, {1366, 768}, {640, 480},
                             {8000, 100}, {300, 100}, {100, 300}, {1600, 1200}, {2560, 1080},
                             {600, 1200}};
    ModelMeasure model;
    for (const auto& frame : frames) {
        for (int logo = 0; logo < 2; ++logo) {
            const LayoutInput in{frame[0], frame[1], logo * 1600, logo * 400, 300, 400};
            const FontSizes fonts = layoutFontSizes(in.frameWidth);
            // Rows 1 to 8 from the roster, 9 to 15 from a stale weekly board.
            for (int rows = 1; rows <= 15; ++rows) {
                Scene scene;
                const int count = rows <= 8 ? rows : rows - 7;
                fillScene(scene, count, count / 2 + 1, rows <= 8 ? 1 : 8, rows % 2 == 0);
                ASSERT_EQ(rowsToShow(scene.state), rows);
                const std::string_view title = scene.state.raceTitle;
                const Layout base = computeLayout(
                    in, fonts, model.measure(PathKind::Title, fonts.titleSize, title).width,
                    model.measure(PathKind::Text, fonts.textSize, "姓名").height);
                scene.layout = fitLayout(base, in, rows, model, title);
                const Layout& l = scene.layout;
                FramePlan plan;
                planFrame(plan, l, scene.state, &model);

                const std::string where = std::to_string(in.frameWidth) + "x" +
                                          std::to_string(in.frameHeight) + " logo " +
                                          std::to_string(logo) + ", " + std::to_string(rows) + " rows";
                const int headingBottom =
                    l.headerY + model.measure(PathKind::Text, l.headerSize, "参赛人员").height;
                std::vector<Box> boxes;
                int tipsBoxes = 0;
                for (const TextOp& op : plan.texts) {
                    const TextBox b = model.measure(op.path, op.size, op.text);
                    const Box box{op.x, op.y, op.x + b.width, op.y + b.height, op.text};
                    EXPECT_GE(box.left, 0) << where << ": " << op.text;
                    EXPECT_LE(box.right, in.frameWidth) << where << ": " << op.text;
                    if (op.path == PathKind::Title || op.y == l.headerY) continue;
                    EXPECT_LE(box.bottom, in.frameHeight) << where << ": " << op.text;
                    if (op.text == "Tips") {
                        ++tipsBoxes;
                    } else {
                        EXPECT_GE(box.top, headingBottom) << where << ": " << op.text;
                        EXPECT_LE(box.bottom, l.tipsY) << where << ": " << op.text;
                    }
                    boxes.push_back(box);
                }
                EXPECT_EQ(tipsBoxes, 1) << where;
                // Only a frame too narrow for the boards at the text size the
                // rows allow lets them touch, and the weekly board's photos
                // leave it: text is never shrunk for that.
                const int indent = static_cast<int>(l.columnWidth * static_cast<double>(0.7f));
                const bool boardsClear = l.resultsX + 2 * indent + l.photoWidth <= l.weeklyX;
                EXPECT_TRUE(boardsClear || in.frameWidth <= 200) << where;
                for (const PhotoOp& p : plan.photos) {
                    EXPECT_GE(p.x, 0) << where;
                    if (boardsClear) {
                        EXPECT_LE(p.x + p.w, in.frameWidth) << where;
                    }
                    EXPECT_GE(p.y, headingBottom) << where;
                    EXPECT_LE(p.y + p.h, l.tipsY) << where;
                    boxes.push_back(Box{p.x, p.y, p.x + p.w, p.y + p.h, "photo"});
                }
                // Every contestant's label, and every entry's name on both
                // boards, is there: nothing was left out for want of room.
                int names = 0;
                for (const TextOp& op : plan.texts) names += op.text.find("\xC5\xB7") != std::string::npos;
                EXPECT_EQ(names, 3 * count) << where;
                if (!boardsClear) continue;
                for (size_t a = 0; a < boxes.size(); ++a)
                    for (size_t b = a + 1; b < boxes.size(); ++b)
                        EXPECT_FALSE(overlap(boxes[a], boxes[b]))
                            << where << ": " << boxes[a].what << " and " << boxes[b].what;
            }
        }
    }
}

namespace {

using Placed = std::tuple<int, int, int, std::string>;

std::vector<Placed> placedTexts(const CertificatePlan& plan) {
    std::vector<Placed> texts;
    for (const CertificateText& t : plan.texts) texts.emplace_back(t.x, t.y, t.size, t.text);
    return texts;
}

std::tuple<int, int, int, int> rectOf(const CertificateRect& r) { return {r.x, r.y, r.w, r.h}; }

}  // namespace

// The model's GBK character is an em wide, its UTF-8 one an em and a half.
TEST(CertificatePlan, LinesCentredOrRightAlignedShrunkToTheirRoomAndThePhotoAtTheLowerLeft) {
    ModelMeasure model;
    std::string sixtyCharacters;
    for (int i = 0; i < 60; ++i) sixtyCharacters += "\xC5\xDC";
    Certificate c{HonourKind::ProgressStar, "\xD5\xC5\xC8\xFD", "\xB6\xFE\xB0\xE0", sixtyCharacters, "", "\xC0\xEE",
                  {2026, 12, 10, 9, 0, 0}};
    const CertificatePlan plain = planCertificate(c, model, true, 0, 400);
    EXPECT_FALSE(plain.photo) << "a photo without a size";
    EXPECT_EQ(placedTexts(plain), (std::vector<Placed>{{952, 300, 260, "进步之星"},
                                                       {1342, 640, 380, "\xD5\xC5\xC8\xFD"},
                                                       {1624, 1150, 120, "\xB6\xFE\xB0\xE0"},
                                                       {370, 1380, 46, sixtyCharacters},
                                                       {2328, 1990, 90, "体育老师：\xC0\xEE"},
                                                       {2045, 2130, 90, "2026 年 12 月 10 日"}}));
    EXPECT_TRUE(plain.texts[0].accent);
    EXPECT_FALSE(plain.texts[1].accent);

    c.achievement += sixtyCharacters + sixtyCharacters;
    EXPECT_EQ(planCertificate(c, model, false, 0, 0).texts[3].size, 40) << "no smaller than 40% of 100";

    // 22 characters: 2216 wide fit right of the margin, not right of the photo.
    c.school = sixtyCharacters.substr(0, 44);
    EXPECT_EQ(placedTexts(planCertificate(c, model, false, 0, 0))[4], Placed(892, 1850, 100, c.school));
    const CertificatePlan withPhoto = planCertificate(c, model, true, 300, 400);
    ASSERT_TRUE(withPhoto.photo);
    EXPECT_EQ(rectOf(withPhoto.photoBox), std::make_tuple(400, 1550, 450, 600));
    EXPECT_EQ(placedTexts(withPhoto)[4], Placed(958, 1850, 97, c.school));
    EXPECT_EQ(placedTexts(withPhoto)[1], placedTexts(plain)[1]) << "the name stays centred above the photo";
    EXPECT_EQ(rectOf(planCertificate(c, model, true, 900, 300).photoBox), std::make_tuple(400, 2000, 450, 150));

    // The outer band, the paper up to the inner line, the line, the paper inside.
    EXPECT_EQ(rectOf(plain.frame[0]), std::make_tuple(70, 70, 3368, 40));
    EXPECT_EQ(rectOf(plain.frame[4]), std::make_tuple(150, 150, 3208, 8));
    EXPECT_EQ(rectOf(plain.ground[0]), std::make_tuple(110, 110, 3288, 40));
    EXPECT_EQ(rectOf(plain.ground[4]), std::make_tuple(158, 158, 3192, 2164));
}

TEST(CertificatePlan, TheFileIsNamedAfterTheChildUnlessTheNameIsNoSafeFileName) {
    Certificate c;
    c.name = "\xD5\xC5\xC8\xFD";
    c.kind = HonourKind::ProgressStar;
    EXPECT_EQ(certificateFileName(c, 1), "\xD5\xC5\xC8\xFD_进步之星.png");
    c.name = "CON";
    c.kind = HonourKind::WeekChampion;
    EXPECT_EQ(certificateFileName(c, 3), "奖状3_本周冠军.png");
}
