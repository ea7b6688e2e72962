#include "output/TermChart.h"

#include "core/Core.h"
#include "output/FrameBuffer.h"
#include "records/RecordLines.h"

#include <vector>

namespace {

const uint32_t kWhite = 0xFFFFFFFF;
const uint32_t kChild = 0xFF1565C0;
const uint32_t kMedian = 0xFF9E9E9E;
const uint32_t kGrid = 0xFFE3E3E3;
const uint32_t kLabel = 0xFF616161;
const uint32_t kTitle = 0xFF212121;

// Three columns of charts under a heading.
const int kPageWidth = 1200;
const int kColumns = 3;
const int kCellHeight = 250;
const int kHeading = 80;
const int kFoot = 10;

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

Gdiplus::GpFontFamily* createChartFamily() {
    Gdiplus::GpFontFamily* family = nullptr;
    gp::GdipCreateFontFamilyFromName(toWide("黑体").c_str(), nullptr, &family);
    return family;
}

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

PageSize termPageSize(std::size_t rows) {
    return PageSize{kPageWidth, kHeading + kCellHeight * (int)((rows + kColumns - 1) / kColumns) + kFoot};
}

bool saveTermPage(const TermBoard& board, const std::string& path, std::string* reason) {
    const PageSize size = termPageSize(board.rows.size());
    FrameBuffer page;
    if (!page.ensure(size.width, size.height)) {
        *reason = "图片太大，内存不足（" + std::to_string(board.rows.size()) + " 人）";
        return false;
    }
    Gdiplus::GpGraphics* g = page.graphics();
    gp::ScopedFamily family(createChartFamily());
    fill(g, kWhite, 0, 0, (float)size.width, (float)size.height);
    const std::string mode = modeText(board.obstacle);
    drawTexts(g, family.get(),
              {ChartText{20, 14, 26, "学期成绩  " + formatDate(board.from) + " 至 " + formatDate(board.to) + "  " + mode},
               ChartText{20, 50, 15, "蓝线：每周最好成绩    灰线：全班每周中位数"}},
              0, 0, kTitle);
    const float cellWidth = (float)kPageWidth / kColumns;
    for (std::size_t i = 0; i < board.rows.size(); ++i) {
        const float x = cellWidth * (float)(i % kColumns), y = (float)(kHeading + kCellHeight * (int)(i / kColumns));
        fill(g, kGrid, x + 6, y + 4, cellWidth - 12, kCellHeight - 8);  // a thin frame to cut along
        drawTermChart(g, family.get(), board, i, x + 7, y + 5, cellWidth - 14, kCellHeight - 10, 13);
    }
    gp::GdipFlush(g, gp::FlushIntentionSync);
    return page.savePng(path, reason);
}
