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

void Canvas::Line(float x1, float y1, float x2, float y2, Colour colour)
{
    if (x1 == x2) {
        // The graph's eraser: a whole column segment, clipped row range first so the
        // conversions to int are always in range.
        if (!(x1 >= 0.0f && x1 < static_cast<float>(width_))) return;
        const float top = std::max(std::floor(std::min(y1, y2)), 0.0f);
        const float bottom =
            std::min(std::floor(std::max(y1, y2)), static_cast<float>(height_ - 1));
        if (!(top <= bottom)) return;
        const int column = static_cast<int>(x1);
        for (int row = static_cast<int>(top); row <= static_cast<int>(bottom); ++row)
            pixels_[static_cast<std::size_t>(row) * width_ + column] = colour;
        return;
    }
    // Any other line: clip the segment to the surface (Liang-Barsky), then one point per
    // unit step along its longer axis.
    if (!(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2))) return;
    double t0 = 0.0, t1 = 1.0;
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - 0.0, width_ - static_cast<double>(x1), y1 - 0.0,
                         height_ - static_cast<double>(y1)};
    for (int edge = 0; edge < 4; ++edge) {
        if (p[edge] == 0.0) {
            if (q[edge] < 0.0) return; // parallel to this edge and outside it
            continue;
        }
        const double t = q[edge] / p[edge];
        if (p[edge] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (!(t0 <= t1)) return;
    const double sx = x1 + t0 * dx, sy = y1 + t0 * dy;
    const double ex = x1 + t1 * dx, ey = y1 + t1 * dy;
    const int steps = static_cast<int>(std::ceil(std::max(std::fabs(ex - sx), std::fabs(ey - sy))));
    for (int k = 0; k <= steps; ++k) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(k) / steps;
        PSet(static_cast<float>(sx + t * (ex - sx)), static_cast<float>(sy + t * (ey - sy)),
             colour);
    }
}

} // namespace morvane
