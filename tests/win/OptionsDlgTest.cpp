// The options dialog run modally, as the control dialog runs it: the fields
// it opens with, the size limits and where the focus lands when they refuse,
// what OK writes to memory and to the configuration file, that Cancel writes
// nothing, and the warning when the file cannot be written.
#include "settings/OptionsDlg.h"

#include "core/Core.h"
#include "core/RaceState.h"
#include "res/resource.h"
#include "settings/ColourButton.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char kWidthWarning[] = "输出显示宽度必须是100到8000之间的整数";
const char kHeightWarning[] = "输出显示高度必须是100到3000之间的整数";

struct Settings {
    int width, height, scoreInit, scoreStep, isZhangai;
    std::string raceTitle;
    uint32_t clrStr, clrDigi;
};

Settings settingsInMemory() {
    return {width, height, scoreInit, scoreStep, isZhangai, raceTitle, clrStr, clrDigi};
}

void putInMemory(const Settings& s) {
    width = s.width;
    height = s.height;
    scoreInit = s.scoreInit;
    scoreStep = s.scoreStep;
    isZhangai = s.isZhangai;
    raceTitle = s.raceTitle;
    clrStr = s.clrStr;
    clrDigi = s.clrDigi;
}

bool operator==(const Settings& a, const Settings& b) {
    return a.width == b.width && a.height == b.height && a.scoreInit == b.scoreInit &&
           a.scoreStep == b.scoreStep && a.isZhangai == b.isZhangai &&
           a.raceTitle == b.raceTitle && a.clrStr == b.clrStr && a.clrDigi == b.clrDigi;
}

// What a dialog opened on these shows; the digit colour is deliberately not
// opaque, as a hand-edited file may have it.
const Settings kOpening = {1280, 720, 10, -2, 0, "春季运动会", 0xFF20A0F0, 0x80FF0000};

void type(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

std::string textOf(HWND dialog, int id) {
    char buf[256] = {};
    GetDlgItemTextA(dialog, id, buf, sizeof buf);
    return buf;
}

CColourButton* picker(HWND dialog, int id) {
    return dynamic_cast<CColourButton*>(CWnd::FromHandlePermanent(GetDlgItem(dialog, id)));
}

void setObstacle(HWND dialog, bool on) {
    CheckDlgButton(dialog, IDC_OBSTACLE, on ? BST_CHECKED : BST_UNCHECKED);
    clickButton(dialog, IDC_OBSTACLE);
}

class OptionsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        before = settingsInMemory();
        core = new CCore();
        core->setConfigPath(scratch.file("Trackvane.ini"));
        putInMemory(kOpening);
    }
    void TearDown() override {
        putInMemory(before);
        delete core;
        core = nullptr;
    }

    INT_PTR run(std::function<void(HWND)> script) {
        COptionsDlg dialog(nullptr);
        return runModal(dialog, std::move(script));
    }

    // A refused OK: one warning with this text, focus on that field, and the
    // dialog still open.
    void expectRefusal(HWND dialog, const char* text, int field) {
        const size_t boxesBefore = boxes.boxes().size();
        clickButton(dialog, IDOK);
        ASSERT_EQ(boxes.boxes().size(), boxesBefore + 1);
        EXPECT_EQ(boxes.boxes().back().text, text);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, field));
        EXPECT_TRUE(IsWindowVisible(dialog));
    }

    CCore storedSettingsReader() {
        CCore reader;
        reader.setConfigPath(scratch.file("Trackvane.ini"));
        return reader;
    }

    Settings before;
    ScratchFolder scratch;
    MessageCapture boxes;
};

}  // namespace

TEST_F(OptionsDlgTest, OpensWithTheSettingsInMemoryAndTheFocusOnOK) {
    const INT_PTR result = run([](HWND dialog) {
        EXPECT_EQ(textOf(dialog, IDC_OUTPUT_WIDTH), "1280");
        EXPECT_EQ(textOf(dialog, IDC_OUTPUT_HEIGHT), "720");
        EXPECT_EQ(textOf(dialog, IDC_RACE_TITLE), "春季运动会");
        EXPECT_EQ(textOf(dialog, IDC_INIT_SCORE), "10");
        EXPECT_EQ(textOf(dialog, IDC_SCORE_STEP), "-2");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_OBSTACLE), (UINT)BST_UNCHECKED);
        // A time trial: the score fields are there but cannot be edited.
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_INIT_SCORE)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCORE_STEP)));
        ASSERT_NE(picker(dialog, IDC_TEXT_COLOUR), nullptr);
        EXPECT_EQ(picker(dialog, IDC_TEXT_COLOUR)->GetColour(), 0x00F0A020u);
        EXPECT_EQ(picker(dialog, IDC_DIGIT_COLOUR)->GetColour(), 0x000000FFu);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
        char caption[32] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "选项");
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(OptionsDlgTest, WidthFrom100To8000IsAcceptedAndAnythingElseRefused) {
    INT_PTR result = run([this](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "99");
        expectRefusal(dialog, kWidthWarning, IDC_OUTPUT_WIDTH);
        type(dialog, IDC_OUTPUT_WIDTH, "8001");
        expectRefusal(dialog, kWidthWarning, IDC_OUTPUT_WIDTH);
        type(dialog, IDC_OUTPUT_WIDTH, "");  // reads as 0
        expectRefusal(dialog, kWidthWarning, IDC_OUTPUT_WIDTH);
        type(dialog, IDC_OUTPUT_WIDTH, "8000");
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(width, 8000);

    result = run([](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "100");
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(boxes.boxes().size(), 3u);
}

TEST_F(OptionsDlgTest, HeightFrom100To3000IsAcceptedAndAnythingElseRefused) {
    INT_PTR result = run([this](HWND dialog) {
        type(dialog, IDC_OUTPUT_HEIGHT, "3001");
        expectRefusal(dialog, kHeightWarning, IDC_OUTPUT_HEIGHT);
        type(dialog, IDC_OUTPUT_HEIGHT, "99");
        expectRefusal(dialog, kHeightWarning, IDC_OUTPUT_HEIGHT);
        type(dialog, IDC_OUTPUT_HEIGHT, "3000");
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(height, 3000);

    result = run([](HWND dialog) {
        type(dialog, IDC_OUTPUT_HEIGHT, "100");
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(height, 100);
}

TEST_F(OptionsDlgTest, BothOutOfRangeWarnsOfTheWidthFirstAndCancelLeavesAllAsItWas) {
    const INT_PTR result = run([this](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "50");
        type(dialog, IDC_OUTPUT_HEIGHT, "5000");
        type(dialog, IDC_RACE_TITLE, "改过的标题");
        setObstacle(dialog, true);
        expectRefusal(dialog, kWidthWarning, IDC_OUTPUT_WIDTH);
        type(dialog, IDC_OUTPUT_WIDTH, "1000");
        expectRefusal(dialog, kHeightWarning, IDC_OUTPUT_HEIGHT);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_TRUE(settingsInMemory() == kOpening);
    EXPECT_EQ(GetFileAttributesA(scratch.file("Trackvane.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OptionsDlgTest, CancelAfterEditingEverythingChangesNothing) {
    scratch.write("Trackvane.ini", "[Trackvane]\r\nwidth=1280\r\n");
    const INT_PTR result = run([](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "1920");
        type(dialog, IDC_RACE_TITLE, "");
        setObstacle(dialog, true);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_INIT_SCORE)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCORE_STEP)));
        type(dialog, IDC_INIT_SCORE, "77");
        picker(dialog, IDC_TEXT_COLOUR)->SetColour(0x00000000);
        clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(settingsInMemory() == kOpening);
    EXPECT_EQ(scratch.read("Trackvane.ini"), "[Trackvane]\r\nwidth=1280\r\n");
}

TEST_F(OptionsDlgTest, OkTakesOverAndStoresEveryValueWithOpaqueColours) {
    const INT_PTR result = run([](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "1920");
        type(dialog, IDC_OUTPUT_HEIGHT, "1080");
        type(dialog, IDC_RACE_TITLE, "");
        setObstacle(dialog, true);
        type(dialog, IDC_INIT_SCORE, "-5");
        type(dialog, IDC_SCORE_STEP, "3");
        picker(dialog, IDC_TEXT_COLOUR)->SetColour(RGB(1, 2, 3));
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    const Settings expected = {1920, 1080, -5, 3, 1, "", 0xFF010203, 0xFFFF0000};
    EXPECT_TRUE(settingsInMemory() == expected);
    EXPECT_TRUE(boxes.boxes().empty());

    CCore reader = storedSettingsReader();
    EXPECT_EQ(reader.getConfigInt("width"), 1920);
    EXPECT_EQ(reader.getConfigInt("height"), 1080);
    EXPECT_EQ(reader.getConfigInt("scoreInit"), -5);
    EXPECT_EQ(reader.getConfigInt("scoreStep"), 3);
    EXPECT_TRUE(reader.getConfigB("isZhangai"));
    EXPECT_EQ(reader.getConfigStr("raceTitle"), "");
    EXPECT_EQ(reader.getConfigClr("clrStr"), 0xFF010203u);
    EXPECT_EQ(reader.getConfigClr("clrDigi"), 0xFFFF0000u);
}

TEST_F(OptionsDlgTest, DisabledScoreFieldsAreStillReadAndStored) {
    isZhangai = 1;
    const INT_PTR result = run([](HWND dialog) {
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_INIT_SCORE)));
        type(dialog, IDC_SCORE_STEP, "4");
        setObstacle(dialog, false);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_INIT_SCORE)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCORE_STEP)));
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(isZhangai, 0);
    EXPECT_EQ(scoreStep, 4);
    CCore reader = storedSettingsReader();
    EXPECT_FALSE(reader.getConfigB("isZhangai"));
    EXPECT_EQ(reader.getConfigInt("scoreStep"), 4);
    EXPECT_EQ(reader.getConfigInt("scoreInit"), 10);
}

TEST_F(OptionsDlgTest, EnterAtOnceStoresTheValuesUnchanged) {
    // 趣味 and 小强 in code page 936 happen to be valid UTF-8 as well; they
    // must still read back as themselves at the next start.
    for (const char* title : {"春季运动会", "趣味", "小强"}) {
        raceTitle = title;
        const INT_PTR result = run([](HWND dialog) {
            pressKey(GetFocus(), VK_RETURN);
            pumpPending();
            if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(storedSettingsReader().getConfigStr("raceTitle"), title);
    }
}

TEST_F(OptionsDlgTest, UnwritableFileWarnsOnceButTheSettingsStillApply) {
    scratch.write("Trackvane.ini", "[Trackvane]\r\n");
    ScopedFile lock(CreateFileA(scratch.file("Trackvane.ini").c_str(),
                                GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    ASSERT_TRUE(lock);
    const INT_PTR result = run([](HWND dialog) {
        type(dialog, IDC_OUTPUT_WIDTH, "1024");
        clickButton(dialog, IDOK);
        if (IsWindowVisible(dialog)) clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(width, 1024);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find(core->configPath()), std::string::npos);
    EXPECT_TRUE(boxes.boxes()[0].type & MB_ICONWARNING);
}
