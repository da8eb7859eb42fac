// Line drawing on a canvas, clipped to its drawable area.
#include "display/canvas.h"

#include <algorithm>
#include <cmath>

namespace morvane {

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Black)
{
}

void Canvas::VerticalLine(float x, float y1, float y2, Colour colour)
{
    // The column and the row range are clipped before any conversion to int, so each
    // conversion is in range (a NaN column fails the test and draws nothing).
    if (!(x >= 0.0f && x < static_cast<float>(width_))) return;
    const float top = std::max(std::floor(std::min(y1, y2)), 0.0f);
    const float bottom = std::min(std::floor(std::max(y1, y2)), static_cast<float>(height_ - 1));
    if (!(top <= bottom)) return;
    const int column = static_cast<int>(x);
    for (int row = static_cast<int>(top); row <= static_cast<int>(bottom); ++row)
        pixels_[static_cast<std::size_t>(row) * width_ + column] = colour;
}

} // namespace morvane
