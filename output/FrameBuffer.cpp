#include "output/FrameBuffer.h"

#include "core/Core.h"

#include <shlwapi.h>

namespace {
// A picture file is seldom larger; one that is would only stall the frame.
const size_t kPictureReadLimit = 256u << 20;
}  // namespace

FrameBuffer::~FrameBuffer() { release(); }

void FrameBuffer::release() {
    graphics_.reset();
    canvas_.reset();
    if (dc_ && previous_) SelectObject(dc_.get(), previous_);
    previous_ = nullptr;
    dib_.reset();
    dc_.reset();
    pixels_ = nullptr;
    width_ = height_ = 0;
}

bool FrameBuffer::ensure(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (pixels_ && width == width_ && height == height_) return true;
    release();
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_.reset(CreateCompatibleDC(nullptr));
    dib_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !dib_ || !bits) {
        release();
        return false;
    }
    previous_ = SelectObject(dc_.get(), dib_.get());
    Gdiplus::GpBitmap* canvas = nullptr;
    if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, (BYTE*)bits,
                                      &canvas) != gp::Ok) {
        release();
        return false;
    }
    canvas_.reset(canvas);
    Gdiplus::GpGraphics* g = nullptr;
    if (gp::GdipGetImageGraphicsContext(canvas, &g) != gp::Ok) {
        release();
        return false;
    }
    graphics_.reset(g);
    gp::GdipSetSmoothingMode(g, gp::SmoothingModeAntiAlias);
    gp::GdipSetInterpolationMode(g, gp::InterpolationModeHighQualityBicubic);
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

bool FrameBuffer::savePng(const std::string& path, std::string* reason) const {
    CLSID png;
    if (!findImageEncoder(L"image/png", &png)) {
        *reason = "系统缺少 PNG 图片编码器";
        return false;
    }
    const std::wstring wide = CCore::systemText(path);
    const Gdiplus::GpStatus status = gp::GdipSaveImageToFile(bitmap(), wide.c_str(), &png, nullptr);
    if (status == gp::Ok) return true;
    DeleteFileW(wide.c_str());
    *reason = status == gp::Win32Error ? CCore::errorText(GetLastError())
                                       : "GDI+ 错误代码 " + std::to_string((int)status);
    return false;
}

void fillPath(Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path, uint32_t argb) {
    Gdiplus::GpSolidFill* fill = nullptr;
    if (!path || gp::GdipCreateSolidFill(argb, &fill) != gp::Ok) return;
    gp::ScopedGpBrush brush(fill);
    gp::GdipFillPath(graphics, fill, path);
}

bool Picture::load(const std::string& path) {
    reset();
    std::string bytes;
    if (!core->isFileExist(path) || !core->readFile(path, &bytes, kPictureReadLimit) || bytes.empty()) return false;
    stream_.reset(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), (UINT)bytes.size()));
    Gdiplus::GpImage* image = nullptr;
    if (!stream_ || gp::GdipLoadImageFromStream(stream_.get(), &image) != gp::Ok) {
        reset();
        return false;
    }
    image_.reset(image);
    return true;
}

void Picture::reset() {
    image_.reset();
    stream_.reset();
}

void Picture::size(int* width, int* height) const {
    UINT w = 0, h = 0;
    if (image_) {
        gp::GdipGetImageWidth(image_.get(), &w);
        gp::GdipGetImageHeight(image_.get(), &h);
    }
    *width = (int)w;
    *height = (int)h;
}
