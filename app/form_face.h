// The window's face in plain pixels, for every front end: the dialog-grey face and sunken
// edges round the canvases, and the copying of a canvas into the window's own pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/form_layout.h"
#include "display/canvas.h"

namespace morvane::app {

struct Shade {
    std::uint8_t red, green, blue;
};

// The usual dialog face and its 3D edge shades: an inset edge is shadow over dark shadow
// on the top and left, highlight over light on the bottom and right.
inline constexpr Shade Face{240, 240, 240};
inline constexpr Shade Shadow{160, 160, 160};
inline constexpr Shade DarkShadow{105, 105, 105};
inline constexpr Shade Light{227, 227, 227};
inline constexpr Shade Highlight{255, 255, 255};

// One filled rectangle of the face, in window pixels.
struct FaceStroke {
    Rect rect;
    Shade shade;
};

// The face over the whole client area, then the two rings of each canvas's sunken edge, in
// painting order: a later stroke covers an earlier one where they meet.
std::array<FaceStroke, 17> FaceStrokes();

// A window pixel as window systems keep 32 bits of colour: blue in bits 0..7, green 8..15,
// red 16..23, the top byte unused. The canvas packs red lowest, so red and blue swap.
constexpr std::uint32_t ToXrgb(Colour c)
{
    return ((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu);
}
constexpr std::uint32_t ToXrgb(Shade s)
{
    return (std::uint32_t{s.red} << 16) | (std::uint32_t{s.green} << 8) | s.blue;
}

// Somewhere in a buffer of XRGB window pixels: `origin` is its top-left pixel and the next
// row starts `pitch` pixels further on.
struct XrgbArea {
    std::uint32_t* origin;
    std::ptrdiff_t pitch;

    std::uint32_t* Row(int y) const { return origin + y * pitch; }
};

// Paints every face stroke into a buffer that holds the whole client area.
void PaintFace(XrgbArea client);

// A canvas as it stands in the window, so that a tick copies only what it changed.
class ShownCanvas {
public:
    // Copies into `target` the pixels of `canvas` that differ from what was shown before,
    // every pixel the first time and after Forget. Returns the rectangle round them in canvas
    // pixels, of width 0 when none changed.
    Rect Show(const Canvas& canvas, XrgbArea target);

    // The window's pixels went or were painted over: the next Show copies every pixel.
    void Forget() { shown_.clear(); }

    // The canvas reached the window by another way (a window whose pixels are not XRGB).
    void Remember(const Canvas& canvas) { shown_ = canvas.Pixels(); }

private:
    std::vector<Colour> shown_;
};

} // namespace morvane::app
