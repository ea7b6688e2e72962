#include "output/GdiTextMeasure.h"

#include "core/Core.h"

using Gdiplus::GpFontFamily;

namespace {
const char kTextFamilyName[] = "黑体";

GpFontFamily* createFamily(const std::string& name) {
    Gdiplus::GpFontFamily* family = nullptr;
    std::wstring wide = toWide(name);
    if (wide.empty() || gp::GdipCreateFontFamilyFromName(wide.c_str(), nullptr, &family) != gp::Ok)
        return nullptr;
    return family;
}
}  // namespace

GpFontFamily* createTextFamily() { return createFamily(kTextFamilyName); }

GpFontFamily* createTitleFamily() {
    GpFontFamily* title = createFamily(core->getConfigStr("fontTitle"));
    return title ? title : createFamily(kTextFamilyName);
}

void GdiTextMeasure::reset(GpFontFamily* text, GpFontFamily* title) {
    text_ = text;
    title_ = title;
    boxes_.clear();
    widestDigits_.clear();
}

char GdiTextMeasure::widestDigit(int size) {
    auto found = widestDigits_.find(size);
    if (found != widestDigits_.end()) return found->second;
    char widest = '0';
    LONG most = -1;
    for (char d = '0'; d <= '9'; ++d) {
        const LONG w = core->getTextBoundsByFontFamily(text_, size, std::string(10, d)).cx;
        if (w > most) {
            most = w;
            widest = d;
        }
    }
    widestDigits_[size] = widest;
    return widest;
}

TextBox GdiTextMeasure::measure(PathKind kind, int size, std::string_view text) {
    std::string shown(text);
    if (kind == PathKind::Digit) {
        const char digit = widestDigit(size);
        for (char& c : shown)
            if (c >= '0' && c <= '9') c = digit;
    }
    std::string key = std::to_string(size);
    key += kind == PathKind::Title ? 'T' : 'X';
    key += shown;
    auto found = boxes_.find(key);
    if (found != boxes_.end()) return found->second;
    if (boxes_.size() > 4096) boxes_.clear();  // names come and go with the roster
    const SIZE s = core->getTextBoundsByFontFamily(kind == PathKind::Title ? title_ : text_, size, shown);
    const TextBox box{(int)s.cx, (int)s.cy};
    boxes_.emplace(std::move(key), box);
    return box;
}
