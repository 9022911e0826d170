// Nine-slice layout and colour ramps of the skinned controls.
#include "controls/SkinImage.h"

#include <cmath>

namespace {

constexpr int kCorner = 3;

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

}  // namespace

std::vector<SlicePiece> NineSlice(const SliceSources& s, int w, int h) {
    const int c = kCorner;
    return {
        {{0, 0, c, c}, s.topLeft},
        {{w - c, 0, c, c}, s.topRight},
        {{w - c, h - c, c, c}, s.bottomRight},
        {{0, h - c, c, c}, s.bottomLeft},
        {{c, 0, w - 2 * c, c}, s.top},
        {{w - c, c, c, h - 2 * c}, s.right},
        {{0, c, c, h - 2 * c}, s.left},
        {{c, h - c, w - 2 * c, c}, s.bottom},
        {{c, c, w - 2 * c, h - 2 * c}, s.centre},
    };
}

uint32_t BlendColour(uint32_t from, uint32_t to, double t) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double a = Channel(from, shift);
        double b = Channel(to, shift);
        int v = static_cast<int>(std::lround(a + (b - a) * t));
        out |= static_cast<uint32_t>(v) << shift;
    }
    return out;
}

uint32_t ColourAlong(const std::vector<ColourStop>& stops, int position) {
    if (stops.empty())
        return 0;
    if (position <= stops.front().at)
        return stops.front().rgb;
    for (size_t i = 1; i < stops.size(); ++i) {
        const ColourStop& a = stops[i - 1];
        const ColourStop& b = stops[i];
        if (position <= b.at) {
            if (b.at == a.at)
                return b.rgb;
            return BlendColour(a.rgb, b.rgb, double(position - a.at) / double(b.at - a.at));
        }
    }
    return stops.back().rgb;
}
