// The four skins of the styled command button (normal, pressed, disabled,
// hover), 18 x 21 pixels each, made in code, and the rules of the button
// that need no window: which face a mouse move shows and where the caption
// goes.
#pragma once

#include "controls/SkinImage.h"

enum ButtonState : int {
    kButtonNormal = 0,
    kButtonPressed = 1,
    kButtonDisabled = 2,
    kButtonHover = 3,
};
constexpr int kButtonStateCount = 4;

constexpr int kSkinWidth = 18;
constexpr int kSkinHeight = 21;

// The caption colour of a disabled button, and of an enabled one.
constexpr uint32_t kDisabledCaption = 0xA1A192;  // RGB(161, 161, 146)
constexpr uint32_t kEnabledCaption = 0x000000;

// The skin of one state.
const SkinImage& ButtonSkin(int state);

// The source rectangles of the skins' nine pieces.
const SliceSources& ButtonSlices();

// The face shown while the button is enabled and not under the mouse, or
// disabled.
inline int RestingState(bool enabled) { return enabled ? kButtonNormal : kButtonDisabled; }

// A mouse move at (x, y) pixels over a control of widthTwips x heightTwips
// (15 twips a pixel): inside when neither is negative and neither, in
// twips, passes the size.
bool PointerInside(int x, int y, int widthTwips, int heightTwips);

// The face a move paints: pressed when the buttons held are exactly the
// left one, hover for any other button state; the resting normal face when
// the pointer is outside.
int StateForMove(bool inside, bool onlyLeftButtonHeld);

// Top-left corner of a caption of the given size centred on the surface:
// each difference halved with the fraction dropped towards zero.
struct CaptionOrigin {
    int x, y;
};
CaptionOrigin CentreCaption(int surfaceWidth, int surfaceHeight, int captionWidth,
                            int captionHeight);
