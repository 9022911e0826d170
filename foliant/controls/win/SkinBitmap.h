// A SkinImage as a GDI bitmap, drawn stretched piece by piece onto a DC.
#pragma once

#include <windows.h>

#include "controls/SkinImage.h"

class SkinBitmap {
public:
    SkinBitmap() = default;
    explicit SkinBitmap(const SkinImage& image) { Load(image); }
    ~SkinBitmap() { Reset(); }
    SkinBitmap(const SkinBitmap&) = delete;
    SkinBitmap& operator=(const SkinBitmap&) = delete;

    void Load(const SkinImage& image);
    void Reset();
    int width() const { return width_; }
    int height() const { return height_; }

    // Copies 'source' of the picture stretched into 'dest' of 'dc'.
    void Draw(HDC dc, const SkinRect& dest, const SkinRect& source) const;
    // The nine pieces for a surface of w x h pixels.
    void DrawNineSlice(HDC dc, const SliceSources& sources, int w, int h) const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// 0xRRGGBB as a COLORREF, and back.
inline COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline uint32_t FromColorRef(COLORREF c) {
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// An off-screen surface of one size: paint into dc(), then copy it out.
class MemorySurface {
public:
    MemorySurface(HDC compatibleWith, int w, int h);
    ~MemorySurface();
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
