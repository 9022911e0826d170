// A small picture held as plain pixels (0xRRGGBB), and the nine-slice
// layout that stretches such a picture to any size: the corners keep their
// size, the edges stretch along their length, the centre in both directions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SkinImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // row by row from the top, 0xRRGGBB

    SkinImage() = default;
    SkinImage(int w, int h, uint32_t fill = 0xFFFFFF)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    void Set(int x, int y, uint32_t rgb) { pixels[static_cast<size_t>(y) * width + x] = rgb; }
};

struct SkinRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const SkinRect&) const = default;
};

// One piece of a nine-slice drawing: copy 'source' of the picture stretched
// into 'dest' of the surface.
struct SlicePiece {
    SkinRect dest;
    SkinRect source;
};

// Where the nine pieces of a picture come from. Each value is a source
// rectangle in the picture.
struct SliceSources {
    SkinRect topLeft, topRight, bottomRight, bottomLeft;
    SkinRect top, right, left, bottom, centre;
};

// The nine pieces for a surface of w x h pixels with 3-pixel corners, in
// the order corners, then top, right, left and bottom edges, then centre.
std::vector<SlicePiece> NineSlice(const SliceSources& sources, int w, int h);

// Linear blend between two colours: t = 0 gives 'from', t = 1 gives 'to'.
uint32_t BlendColour(uint32_t from, uint32_t to, double t);

// A colour at a position along a list of stops (position, colour), taken
// between the two stops around it; before the first or after the last
// stop the nearest stop's colour.
struct ColourStop {
    int at;
    uint32_t rgb;
};
uint32_t ColourAlong(const std::vector<ColourStop>& stops, int position);
