// SkinBitmap: the pixels go into a 32-bit DIB section held selected in a
// memory DC of its own, so drawing a piece is one StretchBlt.
#include "controls/win/SkinBitmap.h"

void SkinBitmap::Load(const SkinImage& image) {
    Reset();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_)
        return;
    // A 32-bit DIB pixel is 0x00RRGGBB, the same layout as SkinImage.
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        out[i] = image.pixels[i];
    GdiFlush();
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    width_ = image.width;
    height_ = image.height;
}

void SkinBitmap::Reset() {
    if (dc_) {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    if (bitmap_)
        DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    old_ = nullptr;
    width_ = height_ = 0;
}

void SkinBitmap::Draw(HDC dc, const SkinRect& dest, const SkinRect& source) const {
    if (!dc_ || dest.width <= 0 || dest.height <= 0)
        return;
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.x, dest.y, dest.width, dest.height, dc_, source.x, source.y,
               source.width, source.height, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

void SkinBitmap::DrawNineSlice(HDC dc, const SliceSources& sources, int w, int h) const {
    for (const SlicePiece& piece : NineSlice(sources, w, h))
        Draw(dc, piece.dest, piece.source);
}

MemorySurface::MemorySurface(HDC compatibleWith, int w, int h)
    : dc_(CreateCompatibleDC(compatibleWith)),
      bitmap_(CreateCompatibleBitmap(compatibleWith, w > 0 ? w : 1, h > 0 ? h : 1)),
      old_(SelectObject(dc_, bitmap_)) {}

MemorySurface::~MemorySurface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}
