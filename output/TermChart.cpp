#include "output/TermChart.h"

#include "core/Core.h"
#include "output/FrameBuffer.h"
#include "output/GdiTextMeasure.h"
#include "records/RecordLines.h"

#include <algorithm>
#include <vector>

namespace {

const uint32_t kWhite = 0xFFFFFFFF;
const uint32_t kChild = 0xFF1565C0;
const uint32_t kMedian = 0xFF9E9E9E;
const uint32_t kGrid = 0xFFE3E3E3;
const uint32_t kLabel = 0xFF616161;
const uint32_t kTitle = 0xFF212121;

// Three columns of charts under a heading, the page's number at its foot.
const int kColumns = 3;
const int kHeading = 80;
const int kFoot = 34;
const int kCellHeight = (TERM_PAGE_HEIGHT - kHeading - kFoot) / (int)(TERM_CHARTS_PER_PAGE / kColumns);

void fill(Gdiplus::GpGraphics* g, uint32_t argb, float x, float y, float w, float h, bool ellipse = false) {
    Gdiplus::GpSolidFill* brush = nullptr;
    if (gp::GdipCreateSolidFill(argb, &brush) != gp::Ok) return;
    gp::ScopedGpBrush owner(brush);
    if (ellipse) gp::GdipFillEllipse(g, brush, x, y, w, h);
    else gp::GdipFillRectangle(g, brush, x, y, w, h);
}

// Texts become outlines, as on the scoreboard: they look the same at any
// size and need no device context.
void drawTexts(Gdiplus::GpGraphics* g, Gdiplus::GpFontFamily* family, const std::vector<ChartText>& texts,
               float x, float y, uint32_t argb) {
    Gdiplus::GpPath* path = nullptr;
    if (!family || gp::GdipCreatePath(gp::FillModeAlternate, &path) != gp::Ok) return;
    gp::ScopedPath owner(path);
    for (const ChartText& t : texts)
        core->drawStr(path, family, (int)(x + t.x), (int)(y + t.y), (int)(t.size + 0.5f), t.text);
    fillPath(g, path, argb);
}

void drawLine(Gdiplus::GpGraphics* g, const std::vector<ChartPoint>& points, float x, float y, uint32_t argb,
              float width) {
    if (points.size() < 2) return;
    Gdiplus::GpPen* pen = nullptr;
    if (gp::GdipCreatePen1(argb, width, gp::UnitPixel, &pen) != gp::Ok) return;
    gp::ScopedPen owner(pen);
    gp::GdipSetPenLineJoin(pen, gp::LineJoinRound);
    std::vector<Gdiplus::PointF> at;
    for (const ChartPoint& p : points) at.emplace_back(x + p.x, y + p.y);
    gp::GdipDrawLines(g, pen, at.data(), (INT)at.size());
}

}  // namespace

void drawTermChart(Gdiplus::GpGraphics* g, Gdiplus::GpFontFamily* family, const TermBoard& board,
                   std::size_t row, float x, float y, float width, float height, float textSize) {
    fill(g, kWhite, x, y, width, height);
    if (row >= board.rows.size()) return;
    const TermChartPlan plan = planTermChart(board, row, width, height, textSize);
    for (float gy : plan.grid) fill(g, kGrid, x + plan.left, y + gy - 0.5f, plan.right - plan.left, 1);
    drawLine(g, plan.median, x, y, kMedian, textSize * 0.2f);
    drawLine(g, plan.child, x, y, kChild, textSize * 0.22f);
    const float r = textSize * 0.32f;
    for (const ChartPoint& p : plan.child) fill(g, kChild, x + p.x - r, y + p.y - r, 2 * r, 2 * r, true);
    drawTexts(g, family, plan.labels, x, y, kLabel);
    drawTexts(g, family, {plan.title}, x, y, kTitle);
}

std::size_t termPageCount(std::size_t rows) {
    return std::max<std::size_t>(1, (rows + TERM_CHARTS_PER_PAGE - 1) / TERM_CHARTS_PER_PAGE);
}

bool saveTermPage(const TermBoard& board, std::size_t number, const std::string& path, std::string* reason) {
    FrameBuffer page;
    if (!page.ensure(TERM_PAGE_WIDTH, TERM_PAGE_HEIGHT)) {
        *reason = "内存不足，无法生成图片";
        return false;
    }
    Gdiplus::GpGraphics* g = page.graphics();
    gp::ScopedFamily family(createTextFamily());
    fill(g, kWhite, 0, 0, (float)TERM_PAGE_WIDTH, (float)TERM_PAGE_HEIGHT);
    const std::string mode = modeText(board.obstacle);
    const std::size_t pages = termPageCount(board.rows.size());
    drawTexts(g, family.get(),
              {ChartText{20, 14, 26, "学期成绩  " + formatDate(board.from) + " 至 " + formatDate(board.to) + "  " + mode},
               ChartText{20, 50, 15, "蓝线：每周最好成绩    灰线：全班每周中位数"},
               ChartText{20, (float)(TERM_PAGE_HEIGHT - kFoot + 8), 15,
                         "第 " + std::to_string(number + 1) + " 页，共 " + std::to_string(pages) + " 页"}},
              0, 0, kTitle);
    const float cellWidth = (float)TERM_PAGE_WIDTH / kColumns;
    const std::size_t first = number * TERM_CHARTS_PER_PAGE;
    for (std::size_t i = first; i < board.rows.size() && i < first + TERM_CHARTS_PER_PAGE; ++i) {
        const std::size_t cell = i - first;
        const float x = cellWidth * (float)(cell % kColumns), y = (float)(kHeading + kCellHeight * (int)(cell / kColumns));
        fill(g, kGrid, x + 6, y + 4, cellWidth - 12, kCellHeight - 8);  // a thin frame to cut along
        drawTermChart(g, family.get(), board, i, x + 7, y + 5, cellWidth - 14, kCellHeight - 10, 13);
    }
    gp::GdipFlush(g, gp::FlushIntentionSync);
    return page.savePng(path, reason);
}
