#include "output/OutputWnd.h"

#include "core/Core.h"
#include "core/RaceState.h"
#include "core/TextFields.h"
#include "records/Ranking.h"
#include "res/resource.h"

#include <algorithm>

using Gdiplus::GpFontFamily;
using Gdiplus::GpImage;
using Gdiplus::GpPath;

namespace {
const UINT_PTR kClockTimer = 1;

GpPath* createPath() {
    Gdiplus::GpPath* path = nullptr;
    gp::GdipCreatePath(gp::FillModeAlternate, &path);
    return path;
}
}  // namespace

COutputWnd::COutputWnd(const DataFolder& folder)
    : CDialog(IDD_OUTPUT, nullptr), folder_(folder), textPath(createPath()), titlePath(createPath()),
      digitPath(createPath()) {}

COutputWnd::~COutputWnd() = default;

int COutputWnd::OnCreate() {
    user32Module.reset(LoadLibraryW(L"User32.DLL"));
    if (user32Module) {
        updateLayered = (UpdateLayeredFn)GetProcAddress(user32Module.get(), "UpdateLayeredWindow");
        // Optional: hands over only the part of a frame that changed.
        updateLayeredIndirect = (UpdateLayeredIndirectFn)GetProcAddress(
            user32Module.get(), "UpdateLayeredWindowIndirect");
    }
    if (!updateLayered) {
        // Every frame goes through this one call; without it there is no
        // audience display at all.
        MessageBoxW(nullptr, L"User32.dll ERROR!", L"Trackvane", MB_OK);
        ExitProcess(0);
    }
    blend = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return 0;
}

BOOL COutputWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    bgImage.reset();
    logoImage.reset();
    defaultFace.reset();
    return TRUE;
}

BOOL COutputWnd::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return FALSE;
    case WM_TIMER:
        if (wp == kClockTimer) onClockTick();
        return FALSE;
    }
    return FALSE;
}

void COutputWnd::OnLButtonDown() {
    // The system's move loop: the window follows the mouse until release.
    SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void COutputWnd::OnDestroy() {
    KillTimer(m_hWnd, kClockTimer);
    releaseImages();
}

BOOL COutputWnd::PreTranslateMessage(MSG* msg) {
    const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    if (key && onKey && onKey(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// --- layout ---

void COutputWnd::releaseImages() {
    // Entries may point at any of these; no pointer may outlive its image.
    if (contestants) {
        for (int i = 0; i < MAX_CONTESTANTS; ++i) contestants[i].faceImage = nullptr;
    }
    if (weeklyTotals) {
        for (int i = 0; i < MAX_CONTESTANTS; ++i) weeklyTotals[i].faceImage = nullptr;
    }
    for (auto& face : ownFaces) face.reset();
    boardFaces_.clear();
    bgImage.reset();
    logoImage.reset();
    defaultFace.reset();
}

void COutputWnd::loadFonts() {
    textFamily.reset(createTextFamily());
    titleFamily.reset(createTitleFamily());
}

void COutputWnd::loadFaces() {
    for (int i = 0; i < contestantCount; ++i) {
        // A name is a file name here: one that could leave the data folder
        // gets the default photo.
        const std::string photo = folder_.photoPath(fixedText(contestants[i].name));
        if (!photo.empty()) ownFaces[i].load(photo);
        contestants[i].faceImage = ownFaces[i] ? ownFaces[i].get() : defaultFace.get();
    }
}

void COutputWnd::chooseSize() {
    RECT second = {};
    core->getScreenRect(1, &second);
    if (second.right != 0) {
        width = second.right - second.left;
        height = second.bottom - second.top;
    } else {
        width = core->getConfigInt("width");
        height = core->getConfigInt("height");
    }
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
}

void COutputWnd::show(bool enabled) {
    if (!enabled) {
        ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    int left, top;
    if (outputPlaced) {
        RECT r;
        GetWindowRect(m_hWnd, &r);
        left = r.left;
        top = r.top;
    } else {
        left = placeLeft(screenWidth);
        top = placeTop(screenHeight);
        outputPlaced = 1;
    }
    outputRect = IntRect{left, top, left + width, top + height};
    layoutWindow(outputRect.left, outputRect.top, outputRect.right, outputRect.bottom);
}

void COutputWnd::moveToSecondScreen() {
    outputPlaced = 1;
    outputRect = IntRect{screenWidth, 0, screenWidth + width, height};
    layoutWindow(outputRect.left, outputRect.top, outputRect.right, outputRect.bottom);
}

void COutputWnd::layoutWindow(int left, int top, int right, int bottom) {
    frameRect = IntRect{left, top, right, bottom};
    SetWindowPos(m_hWnd, nullptr, left, top, right - left, bottom - top, SWP_NOZORDER);

    releaseImages();
    backdropValid_ = false;
    staticValid_ = false;
    layeredShown_ = false;
    const std::string appPath = core->getAppPath();
    bgImage.load(appPath + "bg.jpg");
    defaultFace.load(folder_.defaultPhotoPath());
    logoImage.load(appPath + "logo.png");
    loadFonts();

    LayoutInput in = {};
    in.frameWidth = right - left;
    in.frameHeight = bottom - top;
    logoImage.size(&in.logoPixelWidth, &in.logoPixelHeight);
    defaultFace.size(&in.facePixelWidth, &in.facePixelHeight);
    const FontSizes sizes = layoutFontSizes(in.frameWidth);
    const int titleWidth =
        core->getTextBoundsByFontFamily(titleFamily.get(), sizes.titleSize, raceTitle).cx;
    const int nameHeight =
        core->getTextBoundsByFontFamily(textFamily.get(), sizes.textSize, "姓名").cy;
    measure_.reset(textFamily.get(), titleFamily.get());
    layoutInput_ = in;
    baseLayout_ = computeLayout(in, sizes, titleWidth, nameHeight);
    fitRows(rowsToShow(frameState()));

    loadFaces();
    refresh();
    ShowWindow(m_hWnd, SW_SHOW);
    SetTimer(m_hWnd, kClockTimer, 200, nullptr);
}

// --- race clocks ---

void COutputWnd::onClockTick() {
    if (!raceRunning || contestantCount <= 0) return;
    for (int i = 0; i < contestantCount; ++i) {
        if (contestants[i].timing == 1) {
            refresh();
            if (onClocksMoved) onClocksMoved();
            return;
        }
    }
}

// --- leaderboards ---

void COutputWnd::computeWeeklyBoard() {
    const int before = hasWeeklyData;
    hasWeeklyData = 0;
    if (fromScratch_) records_.forget();
    switch (records_.update(folder_.recordsPath())) {
    case RecordsFile::Read::Missing:
        return;  // the board keeps its rows but shows that it has no data
    case RecordsFile::Read::Unreadable: {
        // Held open by another program for a moment: keep the board as it was,
        // unless the roster or the class changed since; then old names would
        // stand beside the new photos, so the last good read is summed again.
        hasWeeklyData = before;
        if (boardNames() == summedFor_ || !records_.hasGoodRead()) {
            bindWeeklyFaces();
            return;
        }
        break;
    }
    case RecordsFile::Read::Done:
        break;
    }
    const LocalTime now = core->getTimeNow();
    bool has = false;
    if (classNames_.empty()) {
        has = records_.sumWeek(now, contestants, contestantCount, weeklyTotals);
        weeklyCount_ = contestantCount;
    } else {
        weeklyCount_ = records_.sumClassWeek(now, classNames_, weeklyTotals, &has);
    }
    hasWeeklyData = has ? 1 : 0;
    summedFor_ = boardNames();
    bindWeeklyFaces();
}

std::vector<std::string> COutputWnd::boardNames() const {
    if (!classNames_.empty()) return classNames_;
    std::vector<std::string> heat;
    for (int i = 0; i < contestantCount; ++i) heat.emplace_back(fixedText(contestants[i].name));
    return heat;
}

// A child of the heat keeps the photo the heat shows; any other child of the
// class is loaded once, as long as the layout lives.
void COutputWnd::bindWeeklyFaces() {
    for (int k = 0; k < weeklyCount_; ++k) {
        const std::string_view name = fixedText(weeklyTotals[k].name);
        weeklyTotals[k].faceImage = nullptr;
        for (int i = 0; i < contestantCount && !weeklyTotals[k].faceImage; ++i)
            if (fixedText(contestants[i].name) == name) weeklyTotals[k].faceImage = contestants[i].faceImage;
        if (!weeklyTotals[k].faceImage) weeklyTotals[k].faceImage = faceOf(std::string(name));
    }
}

Gdiplus::GpImage* COutputWnd::faceOf(const std::string& name) {
    auto& face = boardFaces_[name];
    if (!face) {
        face = std::make_unique<Picture>();
        const std::string photo = folder_.photoPath(name);
        if (!photo.empty()) face->load(photo);
    }
    return *face ? face->get() : defaultFace.get();
}

void COutputWnd::placeResults() { ::placeResults(contestants, contestantCount, raceIsZhangai != 0); }

// Only the arithmetic runs again: fonts and pictures stay as layoutWindow
// loaded them.
void COutputWnd::fitRows(int rows) {
    layout_ = fitLayout(baseLayout_, layoutInput_, rows, measure_, raceTitle);
    layoutRows_ = rows;
    staticValid_ = false;
}

void COutputWnd::refresh() {
    computeWeeklyBoard();
    if (resultsReady) placeResults();
    // A roster reloaded by clear data, a race ended or a weekly board that
    // changed can ask for another number of rows.
    const int rows = rowsToShow(frameState());
    if (rows != layoutRows_) fitRows(rows);
    present();
}

// --- export ---

bool COutputWnd::savePicture(const std::string& path, std::string* reason) const {
    if (!frame_.bitmap()) {
        *reason = "记分牌画面尚未生成";
        return false;
    }
    return frame_.savePng(path, reason);
}

// --- drawing ---

void COutputWnd::present() {
    const int w = frameRect.right - frameRect.left;
    const int h = frameRect.bottom - frameRect.top;
    if (!updateLayered || !frame_.ensure(w, h)) return;
    memDC = frame_.dc();
    blend.SourceConstantAlpha = 253;

    Gdiplus::GpGraphics* g = frame_.graphics();
    frameTick_ = CCore::tickNow();
    bool drawn = false;
    if (!fromScratch_ && staticValid_) {
        planFrame(nextPlan_, layout_, frameState(), &measure_);
        if (onlyDigitsChanged(nextPlan_)) {
            redrawDigits(g);
            drawn = true;
        }
    }
    clocksOnly_ = drawn;
    if (!drawn) {
        composeBackdrop(g);
        drawScreen(g);
    }
    gp::GdipFlush(g, gp::FlushIntentionSync);

    if (!(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED))
        SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    RECT r;
    GetWindowRect(m_hWnd, &r);
    POINT dst = {r.left, r.top};  // where the operator dragged it
    POINT src = {0, 0};
    SIZE size = {w, h};
    ScopedWindowDc target(m_hWnd);
    if (clocksOnly_ && updateLayeredIndirect && layeredShown_) {
        // The system keeps the rest of the last frame.
        if (!IsRectEmpty(&dirty_)) {
            UPDATELAYEREDWINDOWINFO info = {sizeof info, target.get(), &dst, &size, memDC, &src, 0,
                                            &blend, ULW_ALPHA, &dirty_};
            updateLayeredIndirect(m_hWnd, &info);
        }
    } else {
        layeredShown_ = updateLayered(m_hWnd, target.get(), &dst, &size, memDC, &src, 0, &blend,
                                      ULW_ALPHA) != FALSE;
    }
    memDC = nullptr;
}

// The background and logo change only with the layout: they are scaled once
// into a copy that every frame starts from.
void COutputWnd::composeBackdrop(Gdiplus::GpGraphics* g) {
    uint32_t* pixels = frame_.pixels();
    const size_t count = frame_.pixelCount();
    if (!fromScratch_ && backdropValid_ && backdrop_.size() == count) {
        std::copy(backdrop_.begin(), backdrop_.end(), pixels);
        return;
    }
    std::fill(pixels, pixels + count, 0u);  // transparent where nothing covers
    drawBackdrop(g);
    gp::GdipFlush(g, gp::FlushIntentionSync);
    backdrop_.assign(pixels, pixels + count);
    backdropValid_ = true;
}

void COutputWnd::drawBackdrop(Gdiplus::GpGraphics* g) {
    if (bgImage) gp::GdipDrawImageRectI(g, bgImage.get(), 0, 0, layout_.frameWidth, layout_.frameHeight);
    if (logoImage)
        gp::GdipDrawImageRect(g, logoImage.get(), layout_.margin, layout_.margin, layout_.logoWidth,
                              layout_.logoHeight);
}

GpPath* COutputWnd::pathFor(PathKind kind) const {
    switch (kind) {
    case PathKind::Title: return titlePath.get();
    case PathKind::Digit: return digitPath.get();
    case PathKind::Text: break;
    }
    return textPath.get();
}

FrameState COutputWnd::frameState() const {
    FrameState state = {};
    state.contestants = contestants;
    state.weeklyTotals = weeklyTotals;
    state.contestantCount = contestantCount;
    state.weeklyCount = weeklyCount_;
    state.resultsReady = resultsReady != 0;
    state.hasWeeklyData = hasWeeklyData != 0;
    state.isZhangai = raceIsZhangai != 0;
    state.raceTitle = raceTitle;
    state.tips = tips;
    state.nowTick = frameTick_;
    return state;
}

void COutputWnd::drawScreen(Gdiplus::GpGraphics* g) {
    gp::GdipResetPath(titlePath.get());
    gp::GdipResetPath(textPath.get());
    gp::GdipResetPath(digitPath.get());
    planFrame(plan_, layout_, frameState(), &measure_);

    // Photos lie under all text, so they are drawn first.
    for (const PhotoOp& photo : plan_.photos) {
        const Contestant* table = photo.weekly ? weeklyTotals : contestants;
        auto* image = static_cast<Gdiplus::GpImage*>(table[photo.contestant].faceImage);
        if (image) gp::GdipDrawImageRectI(g, image, photo.x, photo.y, photo.w, photo.h);
    }
    keepStaticLayer(g);
    for (const TextOp& text : plan_.texts) addToPath(text);
    fillPaths(g);
    if (staticValid_) measureTexts();
}

// The outline bounds of every text of a whole frame, so that a frame that
// changes only clocks redraws no more than the clocks' neighbourhood.
void COutputWnd::measureTexts() {
    textRects_.assign(plan_.texts.size(), RECT{0, 0, 0, 0});
    gp::ScopedPath scratch(createPath());
    if (!scratch) return;
    for (size_t i = 0; i < plan_.texts.size(); ++i) {
        const TextOp& text = plan_.texts[i];
        gp::GdipResetPath(scratch.get());
        GpFontFamily* family = text.path == PathKind::Title ? titleFamily.get() : textFamily.get();
        core->drawStr(scratch.get(), family, text.x, text.y, text.size, text.text);
        Gdiplus::RectF b;
        if (gp::GdipGetPathWorldBounds(scratch.get(), &b, nullptr, nullptr) != gp::Ok || b.Width <= 0) continue;
        // Two pixels more on every side for the antialiased edge.
        textRects_[i] = RECT{(LONG)b.X - 2, (LONG)b.Y - 2, (LONG)(b.X + b.Width) + 3, (LONG)(b.Y + b.Height) + 3};
    }
}

void COutputWnd::addToPath(const TextOp& text) {
    GpFontFamily* family = text.path == PathKind::Title ? titleFamily.get() : textFamily.get();
    core->drawStr(pathFor(text.path), family, text.x, text.y, text.size, text.text);
}

void COutputWnd::fillPaths(Gdiplus::GpGraphics* g) {
    fillPath(g, digitPath.get(), clrDigi);
    fillPath(g, textPath.get(), clrStr);
    fillPath(g, titlePath.get(), clrStr);
}

// Backdrop and photos: while only the clocks change, every frame is this
// layer with the same text on it, so only the clocks' places are redrawn.
void COutputWnd::keepStaticLayer(Gdiplus::GpGraphics* g) {
    if (fromScratch_) return;
    gp::GdipFlush(g, gp::FlushIntentionSync);
    staticLayer_.assign(frame_.pixels(), frame_.pixels() + frame_.pixelCount());
    staticValid_ = true;
}

bool COutputWnd::onlyDigitsChanged(const FramePlan& next) const {
    if (!staticValid_ || next.photos != plan_.photos || next.texts.size() != plan_.texts.size())
        return false;
    for (size_t i = 0; i < next.texts.size(); ++i) {
        const TextOp& a = next.texts[i];
        const TextOp& b = plan_.texts[i];
        if (a.path != b.path) return false;
        if (a.path != PathKind::Digit && !(a == b)) return false;
    }
    return true;
}

// Generous bounds of a text's outline: no glyph reaches an em left of its
// origin or above it, nor more than an em per byte to the right.
RECT COutputWnd::textBounds(const TextOp& text) const {
    const int em = text.size;
    RECT r = {text.x - em, text.y - em, text.x + em * (int)(text.text.size() + 1), text.y + 3 * em};
    RECT frame = {0, 0, frame_.width(), frame_.height()};
    IntersectRect(&r, &r, &frame);
    return r;
}

// Redraws the part of the frame that the changed clocks touch: that part of
// the static layer, then every text that reaches into it, in the same order
// and colours as a whole frame. The part grows until no text outside it
// reaches in, so every pixel is composed exactly as in a whole frame.
void COutputWnd::redrawDigits(Gdiplus::GpGraphics* g) {
    RECT dirty = {0, 0, 0, 0};
    for (size_t i = 0; i < nextPlan_.texts.size(); ++i) {
        const TextOp& now = nextPlan_.texts[i];
        const TextOp& before = plan_.texts[i];
        if (now.path != PathKind::Digit || now == before) continue;
        const RECT a = textBounds(now), b = textBounds(before);
        UnionRect(&dirty, &dirty, &a);
        UnionRect(&dirty, &dirty, &b);
    }
    std::swap(plan_, nextPlan_);
    dirty_ = dirty;
    if (IsRectEmpty(&dirty)) return;

    std::vector<bool> inside(plan_.texts.size(), false);
    for (bool grew = true; grew;) {
        grew = false;
        for (size_t i = 0; i < plan_.texts.size(); ++i) {
            if (inside[i]) continue;
            // Clocks change from frame to frame; everything else was measured.
            const bool measured = plan_.texts[i].path != PathKind::Digit && i < textRects_.size();
            const RECT b = measured ? textRects_[i] : textBounds(plan_.texts[i]);
            RECT overlap;
            if (!IntersectRect(&overlap, &b, &dirty)) continue;
            inside[i] = true;
            UnionRect(&dirty, &dirty, &b);
            grew = true;
        }
    }

    const RECT frame = {0, 0, frame_.width(), frame_.height()};
    IntersectRect(&dirty, &dirty, &frame);
    dirty_ = dirty;
    const int w = frame_.width();
    for (int y = dirty.top; y < dirty.bottom; ++y)
        std::copy(&staticLayer_[(size_t)y * w + dirty.left], &staticLayer_[(size_t)y * w + dirty.right],
                  &frame_.pixels()[(size_t)y * w + dirty.left]);
    gp::GdipResetPath(titlePath.get());
    gp::GdipResetPath(textPath.get());
    gp::GdipResetPath(digitPath.get());
    for (size_t i = 0; i < plan_.texts.size(); ++i)
        if (inside[i]) addToPath(plan_.texts[i]);
    fillPaths(g);
}
