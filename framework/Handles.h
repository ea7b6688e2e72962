// Small owners for Win32 and GDI+ handles, so that nothing leaks across the
// five refreshes a second of a running race. Each releases what it holds in
// its destructor and cannot be copied.
#pragma once

#include <windows.h>
#include <gdiplus.h>

template <typename T, typename Traits>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(T h) : h_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    T get() const { return h_; }
    explicit operator bool() const { return Traits::valid(h_); }
    T release() {
        T h = h_;
        h_ = Traits::empty();
        return h;
    }
    void reset(T h = Traits::empty()) {
        if (Traits::valid(h_)) Traits::close(h_);
        h_ = h;
    }

private:
    T h_ = Traits::empty();
};

struct FileTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using ScopedFile = ScopedHandle<HANDLE, FileTraits>;

struct FindTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) { FindClose(h); }
};
using ScopedFind = ScopedHandle<HANDLE, FindTraits>;

template <typename T>
struct GdiTraits {
    static T empty() { return nullptr; }
    static bool valid(T h) { return h != nullptr; }
    static void close(T h) { DeleteObject(h); }
};
using ScopedBitmap = ScopedHandle<HBITMAP, GdiTraits<HBITMAP>>;
using ScopedFont = ScopedHandle<HFONT, GdiTraits<HFONT>>;
using ScopedBrush = ScopedHandle<HBRUSH, GdiTraits<HBRUSH>>;
using ScopedPen = ScopedHandle<HPEN, GdiTraits<HPEN>>;

struct MemDcTraits {
    static HDC empty() { return nullptr; }
    static bool valid(HDC h) { return h != nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
using ScopedMemDc = ScopedHandle<HDC, MemDcTraits>;

struct ModuleTraits {
    static HMODULE empty() { return nullptr; }
    static bool valid(HMODULE h) { return h != nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
using ScopedModule = ScopedHandle<HMODULE, ModuleTraits>;

// A window's device context from GetDC, given back with ReleaseDC.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND w) : w_(w), dc_(GetDC(w)) {}
    ~ScopedWindowDc() {
        if (dc_) ReleaseDC(w_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND w) : w_(w), dc_(BeginPaint(w, &ps_)) {}
    ~ScopedPaint() { EndPaint(w_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND w_;
    PAINTSTRUCT ps_;
    HDC dc_;
};

// Selects an object into a DC for one scope and puts the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// GDI+ flat-API objects.
namespace gp {
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

struct ImageTraits {
    static GpImage* empty() { return nullptr; }
    static bool valid(GpImage* p) { return p != nullptr; }
    static void close(GpImage* p) { GdipDisposeImage(p); }
};
using ScopedImage = ScopedHandle<GpImage*, ImageTraits>;

struct GraphicsTraits {
    static GpGraphics* empty() { return nullptr; }
    static bool valid(GpGraphics* p) { return p != nullptr; }
    static void close(GpGraphics* p) { GdipDeleteGraphics(p); }
};
using ScopedGraphics = ScopedHandle<GpGraphics*, GraphicsTraits>;

struct PathTraits {
    static GpPath* empty() { return nullptr; }
    static bool valid(GpPath* p) { return p != nullptr; }
    static void close(GpPath* p) { GdipDeletePath(p); }
};
using ScopedPath = ScopedHandle<GpPath*, PathTraits>;

struct FamilyTraits {
    static GpFontFamily* empty() { return nullptr; }
    static bool valid(GpFontFamily* p) { return p != nullptr; }
    static void close(GpFontFamily* p) { GdipDeleteFontFamily(p); }
};
using ScopedFamily = ScopedHandle<GpFontFamily*, FamilyTraits>;

struct FontTraits {
    static GpFont* empty() { return nullptr; }
    static bool valid(GpFont* p) { return p != nullptr; }
    static void close(GpFont* p) { GdipDeleteFont(p); }
};
using ScopedGpFont = ScopedHandle<GpFont*, FontTraits>;

struct BrushTraits {
    static GpBrush* empty() { return nullptr; }
    static bool valid(GpBrush* p) { return p != nullptr; }
    static void close(GpBrush* p) { GdipDeleteBrush(p); }
};
using ScopedGpBrush = ScopedHandle<GpBrush*, BrushTraits>;

struct PenTraits {
    static GpPen* empty() { return nullptr; }
    static bool valid(GpPen* p) { return p != nullptr; }
    static void close(GpPen* p) { GdipDeletePen(p); }
};
using ScopedPen = ScopedHandle<GpPen*, PenTraits>;

struct FormatTraits {
    static GpStringFormat* empty() { return nullptr; }
    static bool valid(GpStringFormat* p) { return p != nullptr; }
    static void close(GpStringFormat* p) { GdipDeleteStringFormat(p); }
};
using ScopedFormat = ScopedHandle<GpStringFormat*, FormatTraits>;

// A stream GDI+ reads a picture from or writes one to.
struct StreamTraits {
    static IStream* empty() { return nullptr; }
    static bool valid(IStream* p) { return p != nullptr; }
    static void close(IStream* p) { p->Release(); }
};
using ScopedStream = ScopedHandle<IStream*, StreamTraits>;
}  // namespace gp
