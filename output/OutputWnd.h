// The audience window: borderless, every frame composed off-screen and handed
// to the system as a layered window with per-pixel alpha. It lays itself out
// for the rectangle the control dialog gives it, runs the race clocks' 200 ms
// timer, and hands the keys it gets to the control dialog, which decides
// what each one does, so that both windows always agree.
#pragma once

#include "core/DataFolder.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "output/FrameBuffer.h"
#include "output/FramePlan.h"
#include "output/GdiTextMeasure.h"
#include "output/Layout.h"
#include "output/RecordsFile.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class COutputWnd : public CDialog {
public:
    explicit COutputWnd(const DataFolder& folder);
    ~COutputWnd() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    // Every key message that reaches the window goes here first; true when
    // it goes no further.
    std::function<bool(MSG* msg)> onKey;
    // After each refresh its clock timer made: the running clocks moved on.
    std::function<void()> onClocksMoved;

    // The size of the frame: the second display's, or without one the
    // settings' (width, height); and the primary screen's size.
    static void chooseSize();
    // Shown where the operator left it (at first where the layout places
    // it), or hidden.
    void show(bool enabled);
    // To the top left of a second display right of the primary one, where
    // it was not found by itself.
    void moveToSecondScreen();
    void layoutWindow(int left, int top, int right, int bottom);
    void refresh();
    void present();
    void drawBackdrop(Gdiplus::GpGraphics* graphics);
    void drawScreen(Gdiplus::GpGraphics* graphics);

    // Leaderboard data, recomputed at every refresh.
    void computeWeeklyBoard();
    void placeResults();

    int hasWeeklyData = 0;
    // The class's children, in class order, when it has a class list: the
    // weekly board is then the whole class's; without, the heat's.
    void setClassNames(std::vector<std::string> names) { classNames_ = std::move(names); }
    // The entries of weeklyTotals the board shows.
    int weeklyCount() const { return weeklyCount_; }
    const Layout& layout() const { return layout_; }
    // The number of rows the present layout was fitted to.
    int layoutRows() const { return layoutRows_; }
    const FramePlan& lastPlan() const { return plan_; }
    // The last frame handed to the system, exactly as the audience sees it.
    const FrameBuffer& frame() const { return frame_; }
    // On, every refresh composes the backdrop from the pictures and reads the
    // whole records file again: the plain way, kept to prove that what is
    // kept between refreshes changes nothing, and to measure what it saves.
    void setFromScratch(bool scratch) {
        fromScratch_ = scratch;
        staticValid_ = false;
    }
    // Saves the frame on screen as a PNG picture, transparency included;
    // false and the reason when it cannot.
    bool savePicture(const std::string& path, std::string* reason) const;
    // Whether the last frame redrew only the clocks.
    bool lastFrameRedrewClocksOnly() const { return clocksOnly_; }

protected:
    int OnCreate() override;
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    void OnDestroy() override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    using UpdateLayeredFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                          BLENDFUNCTION*, DWORD);

    void onClockTick();
    void OnLButtonDown();
    void releaseImages();
    void loadFaces();
    void loadFonts();
    Gdiplus::GpPath* pathFor(PathKind kind) const;

    const DataFolder& folder_;
    HDC memDC = nullptr;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ScopedModule user32Module;
    UpdateLayeredFn updateLayered = nullptr;
    using UpdateLayeredIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);
    UpdateLayeredIndirectFn updateLayeredIndirect = nullptr;
    bool layeredShown_ = false;  // a whole frame has been handed over
    RECT dirty_ = {0, 0, 0, 0};  // what the last clocks-only frame changed
    IntRect frameRect = {0, 0, 0, 0};

    Picture bgImage;
    Picture logoImage;
    Picture defaultFace;
    Picture ownFaces[8];   // photos loaded from the contestants' own files
    // Photos of children of the class's weekly board who are not in the heat.
    std::map<std::string, std::unique_ptr<Picture>> boardFaces_;
    gp::ScopedFamily textFamily;
    gp::ScopedFamily titleFamily;
    gp::ScopedPath textPath;
    gp::ScopedPath titlePath;
    gp::ScopedPath digitPath;

    void composeBackdrop(Gdiplus::GpGraphics* graphics);
    FrameState frameState() const;
    void addToPath(const TextOp& text);
    void fillPaths(Gdiplus::GpGraphics* graphics);
    void keepStaticLayer(Gdiplus::GpGraphics* graphics);
    bool onlyDigitsChanged(const FramePlan& next) const;
    RECT textBounds(const TextOp& text) const;
    void measureTexts();
    void redrawDigits(Gdiplus::GpGraphics* graphics);
    void fitRows(int rows);
    std::vector<std::string> boardNames() const;
    void bindWeeklyFaces();
    Gdiplus::GpImage* faceOf(const std::string& name);

    Layout layout_ = {};
    Layout baseLayout_ = {};   // as computed for the frame, before fitting the rows
    LayoutInput layoutInput_ = {};
    int layoutRows_ = -1;
    GdiTextMeasure measure_;
    FrameBuffer frame_;
    std::vector<uint32_t> backdrop_;   // background and logo, scaled once per layout
    bool backdropValid_ = false;
    bool fromScratch_ = false;
    std::vector<uint32_t> staticLayer_;  // backdrop and photos of the frame on screen
    bool staticValid_ = false;
    bool clocksOnly_ = false;
    std::vector<RECT> textRects_;  // outline bounds of the texts of plan_
    FramePlan plan_;       // what the frame on screen shows
    FramePlan nextPlan_;
    uint32_t frameTick_ = 0;  // one reading of the clock for a whole frame
    RecordsFile records_;
    std::vector<std::string> classNames_;
    int weeklyCount_ = 0;
    std::vector<std::string> summedFor_;  // the names of the last weekly sums
};
