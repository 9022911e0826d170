// What the styled progress bar does, without a window: its properties and
// their acceptance rules, and the drawing state that decides, for each
// accepted value, which pieces to paint onto the bar's surface.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/SkinImage.h"

// One thing to paint. A track piece clears the surface and draws the empty
// track over all of it; a block piece draws image 'image' of the current
// look stretched into 'dest'.
struct ProgressPaint {
    enum Kind { kTrack, kBlock };
    Kind kind = kTrack;
    int image = 2;
    SkinRect dest;
};
using PaintList = std::vector<ProgressPaint>;

// Units a new value adds to those already shown: always the distance from
// the value drawn last, so the fill follows the value exactly.
int64_t UnitsAdded(int32_t lastDrawn, int32_t value);

class ProgressBarLogic {
public:
    // Property writes. Min is accepted when 0 <= v <= Max, Max when
    // v >= Min; the others always. None of them paints.
    bool SetMin(int32_t v);
    bool SetMax(int32_t v);
    void SetStyle(int32_t v) { style_ = v; }
    // Looks 0 to 7 become current; any other number is stored and leaves
    // the current look as it was.
    void SetProgressLook(int32_t v);
    // Accepted when it differs from Value and lies in Min..Max; then
    // appends what to paint.
    bool SetValue(int32_t v, PaintList& paint);
    // A new size in pixels: the full repaint.
    void Resize(int width, int height, PaintList& paint);

    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Value() const { return value_; }
    int32_t Style() const { return style_; }
    int32_t ProgressLook() const { return look_; }
    int CurrentLook() const { return currentLook_; }

    // Drawing state, for tests and for the control's own checks.
    int NextBlockX() const { return x_; }
    bool BarFull() const { return full_; }
    int32_t LastDrawn() const { return lastDrawn_; }
    int64_t UnitsShown() const { return unitsShown_; }
    int StylePosition() const { return styleX_; }

private:
    void FullRepaint(PaintList& paint);
    void PaintBlocks(int32_t v, PaintList& paint);
    void DrawUpToExtent(PaintList& paint);
    void PaintStyleStep(PaintList& paint);
    void AddBlock(PaintList& paint, int image, int x, int width) const;

    int32_t min_ = 0, max_ = 100, value_ = 0, style_ = 0, look_ = 0;
    int currentLook_ = 0;
    int width_ = 0, height_ = 0;
    // Drawing state.
    int x_ = 4;
    bool full_ = false;
    int32_t lastDrawn_ = 0;
    int64_t unitsShown_ = 0;
    int64_t step_ = 0;
    int styleX_ = 4;
};
