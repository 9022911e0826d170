// The pictures of the styled progress bar, made in code: the 59 x 13 track
// and the eight colour looks of three 8 x 10 block images each.
#pragma once

#include <array>

#include "controls/SkinImage.h"

constexpr int kTrackWidth = 59;
constexpr int kTrackHeight = 13;
constexpr int kBlockImageWidth = 8;
constexpr int kBlockImageHeight = 10;
constexpr int kLookCount = 8;

// The track: outline, two rings, white inside, rounded inner corners.
const SkinImage& TrackImage();
// Where the track's nine pieces come from.
const SliceSources& TrackSlices();

// The three images of a look; image 2 is the block colour, 1 and 0 paler
// copies of it.
using LookImages = std::array<SkinImage, 3>;
// Look 0 to 7 (master, blue, bluemet, goldmet, grmet, greymet, orangemet,
// redmet); nullptr for any other number.
const LookImages* ProgressLook(int look);
