#include "output/CertificatePlan.h"

#include "core/FileRules.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int OUTER_INSET = 70, OUTER_THICKNESS = 40;
constexpr int INNER_INSET = 150, INNER_THICKNESS = 8;
// Texts keep well inside the inner line, as a printed certificate does.
constexpr int TEXT_LEFT = INNER_INSET + INNER_THICKNESS + 200;
constexpr int TEXT_RIGHT = CERTIFICATE_WIDTH - TEXT_LEFT;
constexpr int SIGNED_RIGHT = CERTIFICATE_WIDTH - 400;
constexpr int PHOTO_LEFT = 400, PHOTO_BOTTOM = CERTIFICATE_HEIGHT - 330;
constexpr int PHOTO_MOST_WIDTH = 450, PHOTO_MOST_HEIGHT = 600;
constexpr int PHOTO_GAP = 100;
// Smaller than this a line would no longer read as belonging to the
// certificate; a text longer still runs past its room instead.
constexpr int LEAST_PERCENT = 40;

// Four bands `thickness` wide, `inset` from each edge of the page. The sides
// run between the top and the bottom, so none overlaps another and the
// frame and the ground may be filled in either order.
void addRing(std::vector<CertificateRect>& rects, int inset, int thickness) {
    const int width = CERTIFICATE_WIDTH - 2 * inset, height = CERTIFICATE_HEIGHT - 2 * inset;
    rects.push_back({inset, inset, width, thickness});
    rects.push_back({inset, CERTIFICATE_HEIGHT - inset - thickness, width, thickness});
    rects.push_back({inset, inset + thickness, thickness, height - 2 * thickness});
    rects.push_back({CERTIFICATE_WIDTH - inset - thickness, inset + thickness, thickness, height - 2 * thickness});
}

// The paper is the band between the two lines and all inside the inner
// one: never over the inner line, whichever is filled last.
std::vector<CertificateRect> groundOf() {
    std::vector<CertificateRect> ground;
    addRing(ground, OUTER_INSET + OUTER_THICKNESS, INNER_INSET - OUTER_INSET - OUTER_THICKNESS);
    const int inside = INNER_INSET + INNER_THICKNESS;
    ground.push_back({inside, inside, CERTIFICATE_WIDTH - 2 * inside, CERTIFICATE_HEIGHT - 2 * inside});
    return ground;
}

// Scaled to fit 450 x 600 with its own shape: a photo wider than 3:4 is
// held by its width, any other by its height.
CertificateRect photoBoxOf(int width, int height) {
    const int64_t w = width, h = height;
    const bool byWidth = w * PHOTO_MOST_HEIGHT >= h * PHOTO_MOST_WIDTH;
    const int boxWidth = byWidth ? PHOTO_MOST_WIDTH : (int)std::max<int64_t>(1, (w * PHOTO_MOST_HEIGHT + h / 2) / h);
    const int boxHeight = byWidth ? (int)std::max<int64_t>(1, (h * PHOTO_MOST_WIDTH + w / 2) / w) : PHOTO_MOST_HEIGHT;
    return {PHOTO_LEFT, PHOTO_BOTTOM - boxHeight, boxWidth, boxHeight};
}

class Page {
public:
    Page(CertificatePlan& plan, TextMeasure& measure) : plan_(plan), measure_(measure) {}

    // Centred between the margins, or right-aligned to the signature's
    // edge; a line the photo's box would cross keeps right of the photo.
    void add(std::string text, int y, int size, bool centred, bool accent = false) {
        if (text.empty()) return;
        const int right = centred ? TEXT_RIGHT : SIGNED_RIGHT;
        Fit fit = fitIn(text, TEXT_LEFT, right, size, centred);
        if (crossesPhoto(fit, y)) fit = fitIn(text, photoRight() + PHOTO_GAP, right, size, centred);
        plan_.texts.push_back(CertificateText{fit.x, y, fit.size, std::move(text), accent});
    }

private:
    struct Fit {
        int x, size, width, height;
    };

    Fit fitIn(const std::string& text, int left, int right, int size, bool centred) {
        const int fitted = fitTextSize(measure_, PathKind::Title, size, right - left, text);
        const int least = size * LEAST_PERCENT / 100;
        const int chosen = std::max(fitted, least);
        const TextBox box = measure_.measure(PathKind::Title, chosen, text);
        const int x = centred ? left + (right - left - box.width) / 2 : right - box.width;
        return Fit{x, chosen, box.width, box.height};
    }

    int photoRight() const { return plan_.photoBox.x + plan_.photoBox.w; }

    bool crossesPhoto(const Fit& fit, int y) const {
        const CertificateRect& p = plan_.photoBox;
        return plan_.photo && y < p.y + p.h && p.y < y + fit.height && fit.x < photoRight() + PHOTO_GAP;
    }

    CertificatePlan& plan_;
    TextMeasure& measure_;
};

}  // namespace

const char* honourTitle(HonourKind kind) { return kind == HonourKind::WeekChampion ? "本周冠军" : "进步之星"; }

CertificatePlan planCertificate(const Certificate& certificate, TextMeasure& measure, bool photo, int photoWidth,
                                int photoHeight) {
    CertificatePlan plan;
    addRing(plan.frame, OUTER_INSET, OUTER_THICKNESS);
    addRing(plan.frame, INNER_INSET, INNER_THICKNESS);
    plan.ground = groundOf();
    plan.photo = photo && photoWidth > 0 && photoHeight > 0;
    if (plan.photo) plan.photoBox = photoBoxOf(photoWidth, photoHeight);

    // Each line keeps its place when one above it is left out, so every
    // certificate of a class reads alike.
    Page page(plan, measure);
    page.add(honourTitle(certificate.kind), 300, 260, true, true);
    page.add(certificate.name, 640, 380, true);
    page.add(certificate.className, 1150, 120, true);
    page.add(certificate.achievement, 1380, 100, true);
    page.add(certificate.school, 1850, 100, false);
    if (!certificate.teacher.empty()) page.add("体育老师：" + certificate.teacher, 1990, 90, false);
    page.add(dayInWords(certificate.date), 2130, 90, false);
    return plan;
}

std::string certificateFileName(const Certificate& certificate, int number) {
    const std::string title = honourTitle(certificate.kind);
    if (isSafePhotoName(certificate.name)) return certificate.name + "_" + title + ".png";
    return "奖状" + std::to_string(number) + "_" + title + ".png";
}
