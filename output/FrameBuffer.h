// The frame the audience sees: a 32-bit top-down DIB section (a compatible
// bitmap has no alpha channel, so a layered window would show nothing), a
// memory DC holding it for UpdateLayeredWindow, and a GDI+ graphics drawing
// straight into its bits. Kept from one frame to the next and made anew only
// when the size changes.
#pragma once

#include "framework/Handles.h"

#include <cstdint>
#include <string>

// Text outlines filled in one colour, as every picture of the program draws
// its texts.
void fillPath(Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path, uint32_t argb);

class FrameBuffer {
public:
    FrameBuffer() = default;
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;
    ~FrameBuffer();

    // False when the frame cannot be made (then nothing can be shown).
    bool ensure(int width, int height);
    void release();

    HDC dc() const { return dc_.get(); }
    Gdiplus::GpGraphics* graphics() const { return graphics_.get(); }
    Gdiplus::GpBitmap* bitmap() const { return static_cast<Gdiplus::GpBitmap*>(canvas_.get()); }
    // Premultiplied BGRA, top row first.
    uint32_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    size_t pixelCount() const { return (size_t)width_ * (size_t)height_; }

    // The frame as a PNG picture, transparency included; false and the
    // reason, in the program's text, when it cannot be saved. Nothing
    // half-written is left behind.
    bool savePng(const std::string& path, std::string* reason) const;

private:
    ScopedMemDc dc_;
    ScopedBitmap dib_;
    HGDIOBJ previous_ = nullptr;
    gp::ScopedImage canvas_;
    gp::ScopedGraphics graphics_;
    uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A picture read from its file's bytes in memory: GDI+ reads a picture
// lazily from where it was loaded, and keeps a file open for as long as the
// image lives, so that on Windows a photo on show could be neither replaced
// nor renamed (名单) until the program ended. The stream lives as long as the
// image.
class Picture {
public:
    bool load(const std::string& path);
    void reset();
    Gdiplus::GpImage* get() const { return image_.get(); }
    explicit operator bool() const { return (bool)image_; }
    // Its size in pixels; 0 x 0 without a picture.
    void size(int* width, int* height) const;

private:
    gp::ScopedStream stream_;
    gp::ScopedImage image_;  // released before its stream
};
