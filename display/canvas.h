// A drawing surface of whole pixels in packed colours. Starts black and keeps whatever is
// drawn on it; nothing clears it as a whole.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane {

// A packed colour: red + 256 * green + 65536 * blue, each component 0..255.
using Colour = std::uint32_t;

constexpr Colour Rgb(int red, int green, int blue)
{
    return static_cast<Colour>(red) + 256u * static_cast<Colour>(green) +
           65536u * static_cast<Colour>(blue);
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xffu); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xffu); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xffu); }

inline constexpr Colour Black = Rgb(0, 0, 0);

inline constexpr int SpaceWidth = 496; // drawable area of the world canvas
inline constexpr int SpaceHeight = 429;
inline constexpr int GraphWidth = 496; // drawable area of the graph canvas
inline constexpr int GraphHeight = 69;

class Canvas {
public:
    // A surface of width x height pixels, all black. A 0 x 0 canvas accepts every drawing
    // call and keeps nothing: the headless runs that nobody looks at draw there.
    Canvas(int width, int height);

    static Canvas Space() { return Canvas(SpaceWidth, SpaceHeight); }
    static Canvas Graph() { return Canvas(GraphWidth, GraphHeight); }
    static Canvas Discarding() { return Canvas(0, 0); }

    // Colours pixel (floor(x), floor(y)) when it lies inside the surface; else nothing.
    void PSet(float x, float y, Colour colour)
    {
        // A headless run draws some thousand points a tick nobody sees: skip the test for them.
        if (Discards()) return;
        // One branch, not four: a free plant slot or a dead animal may lie on either side of
        // any edge. NaN fails too, so the integer conversion below is always defined.
        const bool inside = (x >= 0.0f) & (y >= 0.0f) & (x < static_cast<float>(width_)) &
                            (y < static_cast<float>(height_));
        if (!inside) return;
        pixels_[static_cast<std::size_t>(static_cast<int>(y)) * width_ + static_cast<int>(x)] =
            colour;
    }

    // The same for whole-pixel coordinates, such as a plant's: pixel (x, y) when inside.
    void PSet(int x, int y, Colour colour)
    {
        if (Discards()) return;
        // Unsigned, a negative coordinate is too large: one comparison per axis.
        const bool inside = (static_cast<unsigned>(x) < static_cast<unsigned>(width_)) &
                            (static_cast<unsigned>(y) < static_cast<unsigned>(height_));
        if (!inside) return;
        pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
    }

    // A vertical one-pixel line, clipped: column floor(x), rows floor(min(y1, y2)) to
    // floor(max(y1, y2)), both ends included. The graph's eraser is the only line drawn.
    void VerticalLine(float x, float y1, float y2, Colour colour);

    // Whether this canvas keeps nothing, as a 0 x 0 one.
    bool Discards() const { return width_ == 0; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    Colour At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const std::vector<Colour>& Pixels() const { return pixels_; }
    // Every pixel at once, row by row, as a kept canvas is restored. Refuses (returning false,
    // changing nothing) a count other than width x height.
    bool SetPixels(const std::vector<Colour>& pixels)
    {
        if (pixels.size() != pixels_.size()) return false;
        pixels_ = pixels;
        return true;
    }

private:
    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

} // namespace morvane
