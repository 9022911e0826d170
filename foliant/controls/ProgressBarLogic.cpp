// Block painting of the styled progress bar. Blocks start at x = 4 and
// every 10 pixels after, between the track's 3-pixel rims; the last one is
// cut to end 3 pixels before the right edge and marks the bar full.
#include "controls/ProgressBarLogic.h"

#include "controls/ProgressLooks.h"

namespace {

constexpr int kFirstBlockX = 4;
constexpr int kBlockPitch = 10;
constexpr int kRim = 3;
constexpr int kBlockWidth = kBlockImageWidth;
// The run of blocks of a non-zero style: images 2, 1 and 0 from its head.
constexpr int kStyleRun = 3;

}  // namespace

int64_t UnitsAdded(int32_t lastDrawn, int32_t value) {
    return int64_t{value} - int64_t{lastDrawn};
}

bool ProgressBarLogic::SetMin(int32_t v) {
    if (v < 0 || v > max_)
        return false;
    min_ = v;
    return true;
}

bool ProgressBarLogic::SetMax(int32_t v) {
    if (v < min_)
        return false;
    max_ = v;
    return true;
}

void ProgressBarLogic::SetProgressLook(int32_t v) {
    look_ = v;
    if (v >= 0 && v < kLookCount)
        currentLook_ = v;
}

bool ProgressBarLogic::SetValue(int32_t v, PaintList& paint) {
    if (v == value_ || v < min_ || v > max_)
        return false;
    value_ = v;
    if (style_ == 0)
        PaintBlocks(v, paint);
    else if (v == max_)
        FullRepaint(paint);
    else
        PaintStyleStep(paint);
    return true;
}

void ProgressBarLogic::Resize(int width, int height, PaintList& paint) {
    width_ = width;
    height_ = height;
    FullRepaint(paint);
}

void ProgressBarLogic::FullRepaint(PaintList& paint) {
    paint.push_back({ProgressPaint::kTrack, 0, {0, 0, width_, height_}});
    x_ = kFirstBlockX;
    styleX_ = kFirstBlockX;
    full_ = false;
    step_ = 0;
    // What counts as shown is the value, kept inside the range.
    lastDrawn_ = value_ < min_ ? min_ : (value_ > max_ ? max_ : value_);
    unitsShown_ = int64_t{lastDrawn_} - min_;
}

void ProgressBarLogic::PaintBlocks(int32_t v, PaintList& paint) {
    if (v <= min_ || v < lastDrawn_) {
        // Starting again: the repaint counts v as shown already.
        FullRepaint(paint);
    } else {
        step_ = UnitsAdded(lastDrawn_, v);
        unitsShown_ += step_;
        lastDrawn_ = v;
    }
    DrawUpToExtent(paint);
}

void ProgressBarLogic::DrawUpToExtent(PaintList& paint) {
    int64_t range = int64_t{max_} - min_;
    if (range <= 0)
        return;  // a bar of one value has nothing to fill
    double extent = double(width_) / double(range) * double(unitsShown_);
    while (!full_ && x_ < extent) {
        if (x_ + kBlockPitch >= width_) {
            AddBlock(paint, 2, x_, width_ - kRim - x_);
            full_ = true;
            break;
        }
        AddBlock(paint, 2, x_, kBlockWidth);
        x_ += kBlockPitch;
    }
}

// A non-zero style shows a run of three blocks, brightest at the head,
// that moves one block on with every value and starts again at the left
// once its last block has passed the end.
void ProgressBarLogic::PaintStyleStep(PaintList& paint) {
    paint.push_back({ProgressPaint::kTrack, 0, {0, 0, width_, height_}});
    for (int i = 0; i < kStyleRun; ++i) {
        int x = styleX_ - i * kBlockPitch;
        if (x >= kFirstBlockX && x + kBlockWidth <= width_ - kRim)
            AddBlock(paint, 2 - i, x, kBlockWidth);
    }
    styleX_ += kBlockPitch;
    int tail = styleX_ - (kStyleRun - 1) * kBlockPitch;
    if (tail + kBlockWidth > width_ - kRim)
        styleX_ = kFirstBlockX;
}

void ProgressBarLogic::AddBlock(PaintList& paint, int image, int x, int width) const {
    int height = height_ - 2 * kRim;
    if (width <= 0 || height <= 0)
        return;
    paint.push_back({ProgressPaint::kBlock, image, {x, kRim, width, height}});
}
