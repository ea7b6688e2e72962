// What one frame of the output window shows and where, as a list of texts and
// photos that the window then draws. Texts go to one of three outline paths,
// filled once each at the end of the frame, so all text lies above all photos.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/Layout.h"
#include "core/RaceState.h"

struct TextOp {
    PathKind path;
    int x, y, size;
    std::string text;
    bool operator==(const TextOp& o) const {
        return path == o.path && x == o.x && y == o.y && size == o.size && text == o.text;
    }
};

// The photo of entry `contestant` of the race's table, or of the weekly
// table, stretched to w x h.
struct PhotoOp {
    int contestant;
    int x, y, w, h;
    bool weekly = false;
    bool operator==(const PhotoOp& o) const {
        return contestant == o.contestant && x == o.x && y == o.y && w == o.w && h == o.h && weekly == o.weekly;
    }
    bool operator!=(const PhotoOp& o) const { return !(*this == o); }
};

struct FramePlan {
    std::vector<TextOp> texts;
    std::vector<PhotoOp> photos;
    void clear();
};

struct FrameState {
    const Contestant* contestants;
    const Contestant* weeklyTotals;
    int contestantCount;
    // The weekly table's entries: the heat's, or those of a whole class.
    int weeklyCount;
    bool resultsReady;
    bool hasWeeklyData;
    bool isZhangai;
    std::string_view raceTitle;
    std::string_view tips;
    uint32_t nowTick;
};

// Replaces the plan's contents; keeps the vectors' storage between frames.
// With `measure`, every text is drawn at a size at which it keeps to its own
// room, up to the next element of its row (or its panel, or the frame); the
// title is fitted by the layout. Without, every text takes its layout size.
void planFrame(FramePlan& out, const Layout& layout, const FrameState& state,
               TextMeasure* measure = nullptr);

// The most rows any panel shows: the contestants, and each board shown with
// one row per entry plus one for each place that nobody holds.
int rowsToShow(const FrameState& state);

// Highest place among the first count entries; 0 when none is above 0.
int maxPlace(const Contestant* table, int count);
