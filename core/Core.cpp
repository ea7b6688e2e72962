#include "core/Core.h"

#include "core/TextFields.h"
#include "core/IniText.h"

#include <algorithm>
#include <cstring>

CCore* core = nullptr;

namespace {
bool secondDisplayOverridden = false;
RECT secondDisplay = {0, 0, 0, 0};
}  // namespace

std::wstring decodeToWide(std::string_view bytes, TextEncoding encoding) {
    std::wstring w;
    if (isUtf16(encoding)) {
        const bool big = encoding == TextEncoding::Utf16Be;
        w.resize(bytes.size() / 2);
        for (size_t i = 0; i < w.size(); ++i) {
            const auto a = static_cast<unsigned char>(bytes[2 * i]);
            const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
            w[i] = static_cast<wchar_t>(big ? (a << 8 | b) : (b << 8 | a));
        }
        return w;
    }
    if (encoding == TextEncoding::Cp936) return toWide(std::string(bytes));
    if (bytes.empty()) return w;
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (n <= 0) return w;
    w.resize(n);
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &w[0], n);
    return w;
}

bool findImageEncoder(const wchar_t* mime, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (gp::GdipGetImageEncodersSize(&count, &bytes) != gp::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (gp::GdipGetImageEncoders(count, bytes, codecs) != gp::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == mime) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

CCore::CCore() = default;

std::string CCore::textToAnsi(const std::string& bytes, std::vector<int>* lossyLines) {
    if (lossyLines) lossyLines->clear();
    size_t mark = 0;
    const TextEncoding encoding = detectTextEncoding(bytes, &mark);
    if (encoding == TextEncoding::Cp936) return bytes;
    return wideToAnsi(decodeToWide(std::string_view(bytes).substr(mark), encoding), lossyLines);
}

std::string CCore::ansiToUtf8(const std::string& ansi) { return encodeAs(ansi, TextEncoding::Utf8); }

std::string encodeAs(const std::string& ansi, TextEncoding encoding) {
    return encoding == TextEncoding::Cp936 ? ansi : encodeWide(toWide(ansi), encoding);
}

std::string encodeWide(const std::wstring& w, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp936) return wideToAnsi(w);
    if (encoding == TextEncoding::Utf8) {
        int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
        std::string utf8(n > 0 ? n : 0, '\0');
        if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &utf8[0], n, nullptr, nullptr);
        return utf8;
    }
    const bool big = encoding == TextEncoding::Utf16Be;
    std::string bytes;
    for (wchar_t c : w) {
        const char high = (char)(c >> 8 & 0xFF), low = (char)(c & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}
std::string fileTextToAnsi(std::string_view text, TextEncoding fileEncoding) {
    const TextEncoding encoding = lineEncoding(text, fileEncoding);
    return encoding == TextEncoding::Cp936 ? std::string(text) : wideToAnsi(decodeToWide(text, encoding));
}

// --- text ---

std::string CCore::getStrInt(int n) { return ::getStrInt(n); }

COLORREF CCore::getClrRef(uint32_t argb) { return argbToColorref(argb); }
uint32_t CCore::getColorFromClrRef(COLORREF ref) { return colorrefToArgb(ref); }

// --- displays ---

namespace {
struct MonitorSearch {
    RECT found;
    bool any;
};

BOOL CALLBACK takeSecondMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY)) return TRUE;
    search->found = info.rcMonitor;
    search->any = true;
    return FALSE;  // the first display that is not the primary one
}
}  // namespace

void CCore::setSecondDisplayOverride(const RECT* rect) {
    secondDisplayOverridden = rect != nullptr;
    secondDisplay = rect ? *rect : RECT{0, 0, 0, 0};
}

int CCore::getScreenRect(int n, RECT* rect) {
    *rect = RECT{0, 0, 0, 0};
    if (n == 1 && secondDisplayOverridden) {
        *rect = secondDisplay;
        return rect->right != 0;
    }
    if (n != 1) {
        if (n == 0) *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return n == 0;
    }
    MonitorSearch search = {{0, 0, 0, 0}, false};
    EnumDisplayMonitors(nullptr, nullptr, &takeSecondMonitor, (LPARAM)&search);
    if (search.any) *rect = search.found;
    return search.any;
}

// --- GDI+ text ---

Gdiplus::GpStringFormat* CCore::stringFormat() {
    // Wine refuses a null format where Windows takes the default.
    if (!format_) {
        Gdiplus::GpStringFormat* generic = nullptr;
        Gdiplus::GpStringFormat* clone = nullptr;
        if (gp::GdipStringFormatGetGenericDefault(&generic) == gp::Ok &&
            gp::GdipCloneStringFormat(generic, &clone) == gp::Ok)
            format_.reset(clone);
    }
    return format_.get();
}

SIZE CCore::getTextBoundsByFontFamily(Gdiplus::GpFontFamily* family, int size,
                                      const std::string& text) {
    SIZE result = {0, 0};
    if (!family || size <= 0) return result;
    std::wstring w = toWide(text);
    gp::ScopedGpFont font;
    Gdiplus::GpFont* f = nullptr;
    if (gp::GdipCreateFont(family, (Gdiplus::REAL)size, gp::FontStyleRegular, gp::UnitPixel, &f) != gp::Ok)
        return result;
    font.reset(f);
    gp::ScopedImage bitmap;
    Gdiplus::GpBitmap* b = nullptr;
    if (gp::GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppPARGB, nullptr, &b) != gp::Ok)
        return result;
    bitmap.reset(b);
    gp::ScopedGraphics graphics;
    Gdiplus::GpGraphics* g = nullptr;
    if (gp::GdipGetImageGraphicsContext(bitmap.get(), &g) != gp::Ok) return result;
    graphics.reset(g);
    Gdiplus::RectF layout(0, 0, 0, 0);
    Gdiplus::RectF bounds;
    if (gp::GdipMeasureString(g, w.c_str(), (INT)w.size(), f, &layout, stringFormat(), &bounds,
                              nullptr, nullptr) != gp::Ok)
        return result;
    result.cx = (LONG)bounds.Width;
    result.cy = (LONG)bounds.Height;
    return result;
}

void CCore::drawStr(Gdiplus::GpPath* path, Gdiplus::GpFontFamily* family, int x, int y, int size,
                    const std::string& text) {
    if (!path || !family || text.empty()) return;
    std::wstring w = toWide(text);
    Gdiplus::RectF layout((Gdiplus::REAL)x, (Gdiplus::REAL)y, 0, 0);
    gp::GdipAddPathString(path, w.c_str(), (INT)w.size(), family, gp::FontStyleRegular,
                          (Gdiplus::REAL)size, &layout, stringFormat());
}
