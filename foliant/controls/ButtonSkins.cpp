// Pixels of the button skins. Each skin has white outermost corner pixels,
// an outline in the frame colours, a one-pixel light frame just inside it,
// and a body in two bands shaded from top to bottom: rows 1 to 10 and
// rows 11 to 19, the lower band starting darker than the upper one ends.
#include "controls/ButtonSkins.h"

#include <array>

namespace {

struct SkinColours {
    std::vector<ColourStop> body;  // by row, 1 to 19
    uint32_t frameTopEnds, frameTopMiddle;
    uint32_t frameSideTop, frameSideBottom;
    uint32_t frameBottomEnds, frameBottomMiddle;
};

const SkinColours kColours[kButtonStateCount] = {
    // normal
    {{{1, 0xF0F0F0}, {8, 0xFCFCFC}, {9, 0xFFFFFF}, {10, 0xFFFFFF},
      {11, 0xE5E5E5}, {17, 0xF5F5F5}, {18, 0xEDEDED}, {19, 0xDCDCDC}},
     0x919191, 0x9A9A9A, 0xA5A5A5, 0xB2B2B2, 0xBFBFBF, 0xBFBFBF},
    // pressed
    {{{1, 0x3793FA}, {2, 0x8FCBFF}, {10, 0x60BAFF}, {11, 0x429BFF}, {19, 0x99CDFF}},
     0x5D89BF, 0x5D89BF, 0x5D89BF, 0x5D89BF, 0x5D89BF, 0x5D89BF},
    // disabled
    {{{1, 0xD4D4D4}, {10, 0xECECEC}, {11, 0xD9D9D9}, {17, 0xF0F0F0},
      {18, 0xEAEAEA}, {19, 0xDADADA}},
     0x7F7F7F, 0x8F8F8F, 0x888888, 0xB2B2B2, 0xBBBBBB, 0xBFBFBF},
    // hover
    {{{1, 0xCEE8FF}, {10, 0x92C6FF}, {11, 0x71ADEF}, {19, 0x9CDBF9}},
     0x3D6AA2, 0x406CA1, 0x3D6AA2, 0x406CA1, 0x406CA1, 0x406CA1},
};

// A colour between the ends of an edge (at 1 and last - 1, next to the
// white corners) and its middle.
uint32_t AlongEdge(uint32_t ends, uint32_t middle, int at, int last) {
    int half = (last - 2) / 2;
    int distance = at - 1 <= half ? at - 1 : last - 1 - at;
    return BlendColour(ends, middle, double(distance) / double(half));
}

SkinImage MakeSkin(const SkinColours& c) {
    const int right = kSkinWidth - 1;
    const int bottom = kSkinHeight - 1;
    SkinImage skin(kSkinWidth, kSkinHeight);
    for (int y = 1; y < bottom; ++y) {
        uint32_t band = ColourAlong(c.body, y);
        for (int x = 1; x < right; ++x)
            skin.Set(x, y, band);
        // The light inner frame along both sides.
        skin.Set(1, y, BlendColour(band, 0xFFFFFF, 0.5));
        skin.Set(right - 1, y, BlendColour(band, 0xFFFFFF, 0.5));
    }
    for (int x = 1; x < right; ++x) {
        skin.Set(x, 0, AlongEdge(c.frameTopEnds, c.frameTopMiddle, x, right));
        skin.Set(x, bottom, AlongEdge(c.frameBottomEnds, c.frameBottomMiddle, x, right));
    }
    for (int y = 1; y < bottom; ++y) {
        uint32_t side = BlendColour(c.frameSideTop, c.frameSideBottom, double(y) / bottom);
        skin.Set(0, y, side);
        skin.Set(right, y, side);
    }
    // The pixels inside each corner round the outline off.
    skin.Set(1, 1, c.frameTopEnds);
    skin.Set(right - 1, 1, c.frameTopEnds);
    skin.Set(1, bottom - 1, c.frameBottomEnds);
    skin.Set(right - 1, bottom - 1, c.frameBottomEnds);
    for (auto [x, y] : {std::array{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
        skin.Set(x, y, 0xFFFFFF);
    return skin;
}

}  // namespace

const SkinImage& ButtonSkin(int state) {
    static const std::array<SkinImage, kButtonStateCount> skins = {
        MakeSkin(kColours[0]), MakeSkin(kColours[1]), MakeSkin(kColours[2]),
        MakeSkin(kColours[3])};
    if (state < 0 || state >= kButtonStateCount)
        state = kButtonNormal;
    return skins[static_cast<size_t>(state)];
}

const SliceSources& ButtonSlices() {
    static const SliceSources sources = {
        {0, 0, 3, 3},  {15, 0, 3, 3}, {15, 18, 3, 3}, {0, 18, 3, 3},
        {3, 0, 12, 3}, {15, 3, 3, 15}, {0, 3, 3, 15},  {3, 18, 12, 3},
        {3, 3, 12, 15},
    };
    return sources;
}

bool PointerInside(int x, int y, int widthTwips, int heightTwips) {
    constexpr long long kTwipsPerPixel = 15;
    return x >= 0 && y >= 0 && kTwipsPerPixel * x <= widthTwips &&
           kTwipsPerPixel * y <= heightTwips;
}

int StateForMove(bool inside, bool onlyLeftButtonHeld) {
    if (!inside)
        return kButtonNormal;
    return onlyLeftButtonHeld ? kButtonPressed : kButtonHover;
}

CaptionOrigin CentreCaption(int surfaceWidth, int surfaceHeight, int captionWidth,
                            int captionHeight) {
    // C++ division truncates towards zero, as the rule wants.
    return {(surfaceWidth - captionWidth) / 2, (surfaceHeight - captionHeight) / 2};
}
