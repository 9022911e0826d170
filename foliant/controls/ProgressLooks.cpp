// Pixels of the progress bar's track and looks. A block is shaded in
// horizontal bands like a cylinder: from its top row through its darkest
// row to its bottom row.
#include "controls/ProgressLooks.h"

#include <algorithm>

namespace {

constexpr uint32_t kOutline = 0x6B696B;
constexpr uint32_t kOuterRing = 0xBDBEBD;
constexpr uint32_t kInnerRing = 0xEFEFEF;
constexpr uint32_t kInnerCorner = 0x737573;

SkinImage MakeTrack() {
    SkinImage track(kTrackWidth, kTrackHeight, 0xFFFFFF);
    const int right = kTrackWidth - 1;
    const int bottom = kTrackHeight - 1;
    for (int y = 0; y <= bottom; ++y) {
        for (int x = 0; x <= right; ++x) {
            int ring = std::min(std::min(x, right - x), std::min(y, bottom - y));
            if (ring == 0)
                track.Set(x, y, kOutline);
            else if (ring == 1)
                track.Set(x, y, kOuterRing);
            else if (ring == 2)
                track.Set(x, y, kInnerRing);
        }
    }
    for (int x : {1, right - 1})
        for (int y : {1, bottom - 1})
            track.Set(x, y, kInnerCorner);
    for (int x : {0, right})
        for (int y : {0, bottom})
            track.Set(x, y, 0xFFFFFF);
    return track;
}

// Colour stops by row of image 2 of each look.
const std::vector<ColourStop> kLookStops[kLookCount] = {
    {{0, 0x95E996}, {5, 0x29D22C}, {9, 0x76E277}},                  // master
    {{0, 0x409FFF}, {5, 0x0076EC}, {9, 0x3399FF}},                  // blue
    {{0, 0x5D95BB}, {5, 0x0E402C}, {9, 0x3D78A1}},                  // bluemet
    {{0, 0xEDD4A2}, {5, 0xD8A62F}, {9, 0xE5C576}},                  // goldmet
    {{0, 0x95B38E}, {2, 0xC3E3BA}, {5, 0x76A66A}, {9, 0x98C88C}},   // grmet
    {{0, 0xCDCDCD}, {5, 0x6E6E6E}, {9, 0xA9A9A9}},                  // greymet
    {{0, 0xFFE998}, {5, 0xFFD331}, {9, 0xFFE279}},                  // orangemet
    {{0, 0xE9A87F}, {5, 0xE38040}, {9, 0xEBB89A}},                  // redmet
};

// Image 2 from its stops; images 1 and 0 are it blended towards white.
LookImages MakeLook(const std::vector<ColourStop>& stops) {
    LookImages look;
    const double paleness[3] = {0.6, 0.35, 0.0};
    for (int i = 0; i < 3; ++i) {
        SkinImage image(kBlockImageWidth, kBlockImageHeight);
        for (int y = 0; y < kBlockImageHeight; ++y)
            for (int x = 0; x < kBlockImageWidth; ++x)
                image.Set(x, y, BlendColour(ColourAlong(stops, y), 0xFFFFFF, paleness[i]));
        look[static_cast<size_t>(i)] = std::move(image);
    }
    return look;
}

}  // namespace

const SkinImage& TrackImage() {
    static const SkinImage track = MakeTrack();
    return track;
}

const SliceSources& TrackSlices() {
    static const SliceSources sources = {
        {0, 0, 3, 3},  {56, 0, 3, 3}, {56, 10, 3, 3}, {0, 10, 3, 3},
        {3, 0, 12, 3}, {56, 3, 3, 3}, {0, 3, 3, 3},   {3, 10, 1, 3},
        {4, 4, 51, 7},
    };
    return sources;
}

const LookImages* ProgressLook(int look) {
    static const std::array<LookImages, kLookCount> looks = [] {
        std::array<LookImages, kLookCount> all;
        for (int i = 0; i < kLookCount; ++i)
            all[static_cast<size_t>(i)] = MakeLook(kLookStops[i]);
        return all;
    }();
    if (look < 0 || look >= kLookCount)
        return nullptr;
    return &looks[static_cast<size_t>(look)];
}
