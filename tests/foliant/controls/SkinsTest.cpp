// The skins of the styled controls: nine-slice layout, the button skins'
// structure and colours, the progress bar's track and looks, and the
// button's mouse and caption rules.
#include <gtest/gtest.h>

#include "controls/ButtonSkins.h"
#include "controls/ProgressLooks.h"

namespace {

int Luminance(uint32_t rgb) {
    return int((rgb >> 16) & 0xFF) + int((rgb >> 8) & 0xFF) + int(rgb & 0xFF);
}

// How many pieces cover each pixel of a w x h surface.
std::vector<int> Coverage(const std::vector<SlicePiece>& pieces, int w, int h) {
    std::vector<int> count(static_cast<size_t>(w * h), 0);
    for (const SlicePiece& p : pieces)
        for (int y = p.dest.y; y < p.dest.y + p.dest.height; ++y)
            for (int x = p.dest.x; x < p.dest.x + p.dest.width; ++x)
                if (x >= 0 && y >= 0 && x < w && y < h)
                    ++count[static_cast<size_t>(y * w + x)];
    return count;
}

// Nine-slice layout: pieces tile any surface once, and a surface of the
// skin's own size copies every piece unscaled.
TEST(NineSlice, PiecesTileTheSurfaceExactlyOnce) {
    for (auto [w, h] : {std::pair{18, 21}, {75, 25}, {276, 14}, {7, 7}}) {
        auto pieces = NineSlice(ButtonSlices(), w, h);
        ASSERT_EQ(pieces.size(), 9u);
        for (int c : Coverage(pieces, w, h))
            ASSERT_EQ(c, 1) << w << " x " << h;
    }
}

TEST(NineSlice, SkinSizedSurfaceIsUnscaled) {
    for (const SlicePiece& p : NineSlice(ButtonSlices(), kSkinWidth, kSkinHeight))
        EXPECT_EQ(p.dest, p.source);
}

TEST(NineSlice, CornersKeepTheirSizeEdgesStretch) {
    auto pieces = NineSlice(TrackSlices(), 100, 14);
    EXPECT_EQ(pieces[1].dest, (SkinRect{97, 0, 3, 3}));    // top-right corner
    EXPECT_EQ(pieces[1].source, (SkinRect{56, 0, 3, 3}));
    EXPECT_EQ(pieces[2].dest, (SkinRect{97, 11, 3, 3}));   // bottom-right
    EXPECT_EQ(pieces[7].dest, (SkinRect{3, 11, 94, 3}));   // bottom edge
    EXPECT_EQ(pieces[7].source, (SkinRect{3, 10, 1, 3}));
    EXPECT_EQ(pieces[8].dest, (SkinRect{3, 3, 94, 8}));    // centre
    EXPECT_EQ(pieces[8].source, (SkinRect{4, 4, 51, 7}));
}

TEST(ColourRamp, BlendsBetweenStopsAndHoldsBeyondThem) {
    std::vector<ColourStop> stops{{2, 0x000000}, {6, 0x808040}};
    EXPECT_EQ(ColourAlong(stops, 0), 0x000000u);
    EXPECT_EQ(ColourAlong(stops, 4), 0x404020u);
    EXPECT_EQ(ColourAlong(stops, 9), 0x808040u);
}

// The four button skins: size, white outer corners, and the band and
// frame colours of each state.
TEST(ButtonSkins, ShareOneStructure) {
    for (int s = 0; s < kButtonStateCount; ++s) {
        const SkinImage& skin = ButtonSkin(s);
        ASSERT_EQ(skin.width, 18);
        ASSERT_EQ(skin.height, 21);
        for (auto [x, y] : {std::pair{0, 0}, {17, 0}, {0, 20}, {17, 20}})
            EXPECT_EQ(skin.At(x, y), 0xFFFFFFu) << "state " << s;
        // The lower band starts darker than the upper band ends.
        EXPECT_LT(Luminance(skin.At(9, 11)), Luminance(skin.At(9, 10))) << "state " << s;
        // The outline is darker than the body next to it.
        EXPECT_LT(Luminance(skin.At(9, 0)), Luminance(skin.At(9, 2))) << "state " << s;
    }
}

TEST(ButtonSkins, ColoursFollowTheirStates) {
    const SkinImage& normal = ButtonSkin(kButtonNormal);
    EXPECT_EQ(normal.At(9, 1), 0xF0F0F0u);
    EXPECT_EQ(normal.At(9, 9), 0xFFFFFFu);
    EXPECT_EQ(normal.At(9, 10), 0xFFFFFFu);
    EXPECT_EQ(normal.At(9, 11), 0xE5E5E5u);
    EXPECT_EQ(normal.At(9, 17), 0xF5F5F5u);
    EXPECT_EQ(normal.At(9, 19), 0xDCDCDCu);
    EXPECT_EQ(normal.At(1, 0), 0x919191u);
    EXPECT_EQ(normal.At(9, 20), 0xBFBFBFu);

    const SkinImage& pressed = ButtonSkin(kButtonPressed);
    EXPECT_EQ(pressed.At(9, 1), 0x3793FAu);
    EXPECT_EQ(pressed.At(9, 2), 0x8FCBFFu);
    EXPECT_EQ(pressed.At(9, 10), 0x60BAFFu);
    EXPECT_EQ(pressed.At(9, 11), 0x429BFFu);
    EXPECT_EQ(pressed.At(9, 19), 0x99CDFFu);

    const SkinImage& disabled = ButtonSkin(kButtonDisabled);
    EXPECT_EQ(disabled.At(9, 1), 0xD4D4D4u);
    EXPECT_EQ(disabled.At(9, 10), 0xECECECu);
    EXPECT_EQ(disabled.At(9, 11), 0xD9D9D9u);
    EXPECT_EQ(disabled.At(9, 19), 0xDADADAu);

    const SkinImage& hover = ButtonSkin(kButtonHover);
    EXPECT_EQ(hover.At(9, 1), 0xCEE8FFu);
    EXPECT_EQ(hover.At(9, 10), 0x92C6FFu);
    EXPECT_EQ(hover.At(9, 11), 0x71ADEFu);
    EXPECT_EQ(hover.At(9, 19), 0x9CDBF9u);
    // Each state looks different from the others.
    for (int a = 0; a < kButtonStateCount; ++a)
        for (int b = a + 1; b < kButtonStateCount; ++b)
            EXPECT_NE(ButtonSkin(a).At(9, 5), ButtonSkin(b).At(9, 5));
}

// The button's rules: inside in twips, pressed only for the left button
// alone, caption centred with the fraction dropped towards zero.
TEST(ButtonRules, PointerInsideIsMeasuredInTwips) {
    // A control 60 x 20 pixels: 900 x 300 twips.
    EXPECT_TRUE(PointerInside(0, 0, 900, 300));
    EXPECT_TRUE(PointerInside(60, 20, 900, 300)) << "the far edge counts as inside";
    EXPECT_FALSE(PointerInside(61, 10, 900, 300));
    EXPECT_FALSE(PointerInside(10, 21, 900, 300));
    EXPECT_FALSE(PointerInside(-1, 10, 900, 300));
    EXPECT_FALSE(PointerInside(10, -1, 900, 300));
}

TEST(ButtonRules, FaceForAMove) {
    EXPECT_EQ(StateForMove(true, true), kButtonPressed);
    EXPECT_EQ(StateForMove(true, false), kButtonHover);
    EXPECT_EQ(StateForMove(false, true), kButtonNormal);
    EXPECT_EQ(StateForMove(false, false), kButtonNormal);
    EXPECT_EQ(RestingState(true), kButtonNormal);
    EXPECT_EQ(RestingState(false), kButtonDisabled);
}

TEST(ButtonRules, CaptionIsCentredTowardsZero) {
    EXPECT_EQ(CentreCaption(88, 24, 61, 13).x, 13);
    EXPECT_EQ(CentreCaption(88, 24, 61, 13).y, 5);
    // Wider than the control: a negative left, cut off on both sides.
    EXPECT_EQ(CentreCaption(50, 21, 61, 13).x, -5);
    EXPECT_EQ(CentreCaption(50, 10, 61, 13).y, -1);
}

// The progress bar's pictures: the track's rings and rounded corners, and
// the block colours of every look.
TEST(ProgressPictures, TrackHasOutlineRingsAndWhiteInside) {
    const SkinImage& t = TrackImage();
    ASSERT_EQ(t.width, 59);
    ASSERT_EQ(t.height, 13);
    EXPECT_EQ(t.At(20, 0), 0x6B696Bu);
    EXPECT_EQ(t.At(0, 6), 0x6B696Bu);
    EXPECT_EQ(t.At(20, 1), 0xBDBEBDu);
    EXPECT_EQ(t.At(20, 2), 0xEFEFEFu);
    EXPECT_EQ(t.At(20, 6), 0xFFFFFFu);
    for (auto [x, y] : {std::pair{1, 1}, {57, 1}, {1, 11}, {57, 11}})
        EXPECT_EQ(t.At(x, y), 0x737573u);
}

TEST(ProgressPictures, EveryLookHasItsBlockColours) {
    struct { int look; uint32_t top, darkest, bottom; } looks[] = {
        {0, 0x95E996, 0x29D22C, 0x76E277}, {1, 0x409FFF, 0x0076EC, 0x3399FF},
        {2, 0x5D95BB, 0x0E402C, 0x3D78A1}, {3, 0xEDD4A2, 0xD8A62F, 0xE5C576},
        {4, 0x95B38E, 0x76A66A, 0x98C88C}, {5, 0xCDCDCD, 0x6E6E6E, 0xA9A9A9},
        {6, 0xFFE998, 0xFFD331, 0xFFE279}, {7, 0xE9A87F, 0xE38040, 0xEBB89A},
    };
    for (auto l : looks) {
        const LookImages* images = ProgressLook(l.look);
        ASSERT_NE(images, nullptr);
        const SkinImage& block = (*images)[2];
        ASSERT_EQ(block.width, 8);
        ASSERT_EQ(block.height, 10);
        EXPECT_EQ(block.At(3, 0), l.top) << "look " << l.look;
        EXPECT_EQ(block.At(3, 5), l.darkest) << "look " << l.look;
        EXPECT_EQ(block.At(3, 9), l.bottom) << "look " << l.look;
        // Images 1 and 0 are paler than image 2.
        EXPECT_GT(Luminance((*images)[1].At(3, 5)), Luminance(block.At(3, 5)));
        EXPECT_GT(Luminance((*images)[0].At(3, 5)), Luminance((*images)[1].At(3, 5)));
    }
    EXPECT_EQ((*ProgressLook(4))[2].At(0, 2), 0xC3E3BAu) << "grmet's lightest row";
    EXPECT_EQ(ProgressLook(8), nullptr);
    EXPECT_EQ(ProgressLook(-1), nullptr);
}

}  // namespace
