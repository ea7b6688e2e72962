#include "output/CertificatePage.h"

#include "core/Core.h"
#include "output/FrameBuffer.h"
#include "output/GdiTextMeasure.h"

namespace {

const uint32_t kFrame = 0xFFB71C1C;   // a deep red, as certificates are bordered
const uint32_t kPaper = 0xFFFFFBF0;
const uint32_t kAccent = 0xFFC62828;
const uint32_t kText = 0xFF212121;

void fillRects(Gdiplus::GpGraphics* g, const std::vector<CertificateRect>& rects, uint32_t argb) {
    Gdiplus::GpSolidFill* brush = nullptr;
    if (gp::GdipCreateSolidFill(argb, &brush) != gp::Ok) return;
    gp::ScopedGpBrush owner(brush);
    for (const CertificateRect& r : rects) gp::GdipFillRectangleI(g, brush, r.x, r.y, r.w, r.h);
}

// The texts of one colour as one outline path, filled once.
void drawTexts(Gdiplus::GpGraphics* g, Gdiplus::GpFontFamily* family, const std::vector<CertificateText>& texts,
               bool accent, uint32_t argb) {
    Gdiplus::GpPath* path = nullptr;
    if (!family || gp::GdipCreatePath(gp::FillModeAlternate, &path) != gp::Ok) return;
    gp::ScopedPath owner(path);
    for (const CertificateText& t : texts)
        if (t.accent == accent) core->drawStr(path, family, t.x, t.y, t.size, t.text);
    fillPath(g, path, argb);
}

}  // namespace

bool saveCertificate(const Certificate& certificate, const std::string& photoPath, const std::string& path,
                     std::string* reason) {
    gp::ScopedFamily title(createTitleFamily());
    GdiTextMeasure measure;
    measure.reset(title.get(), title.get());
    Picture photo;
    int photoWidth = 0, photoHeight = 0;
    if (!photoPath.empty() && photo.load(photoPath)) photo.size(&photoWidth, &photoHeight);
    const CertificatePlan plan = planCertificate(certificate, measure, (bool)photo, photoWidth, photoHeight);

    FrameBuffer page;
    if (!page.ensure(CERTIFICATE_WIDTH, CERTIFICATE_HEIGHT)) {
        *reason = "内存不足，无法生成图片";
        return false;
    }
    Gdiplus::GpGraphics* g = page.graphics();
    fillRects(g, plan.frame, kFrame);
    fillRects(g, plan.ground, kPaper);
    if (plan.photo) {
        const CertificateRect& box = plan.photoBox;
        gp::GdipDrawImageRectI(g, photo.get(), box.x, box.y, box.w, box.h);
    }
    drawTexts(g, title.get(), plan.texts, true, kAccent);
    drawTexts(g, title.get(), plan.texts, false, kText);
    gp::GdipFlush(g, gp::FlushIntentionSync);
    return page.savePng(path, reason);
}
