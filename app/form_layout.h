// Where the window's parts sit in its client area, in window pixels. The painter draws from
// these and the mouse routing hits against them, so the two can never disagree.
#pragma once

#include "display/canvas.h"

namespace morvane::app {

struct Rect {
    int left;
    int top;
    int width;
    int height;

    constexpr bool Contains(int x, int y) const
    {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

inline constexpr int ClientWidth = 516; // fixed: nothing in the window follows a resize
inline constexpr int ClientHeight = 529;

// The sunken edge round each canvas. It belongs to the window's frame work, not to the
// drawing: the canvas's own pixel (0, 0) is the first one inside it.
inline constexpr int InsetBorder = 2;

inline constexpr Rect SpaceOuter{8, 8, 500, 433};
inline constexpr Rect GraphOuter{8, 448, 500, 73};

constexpr Rect DrawableArea(Rect outer)
{
    return {outer.left + InsetBorder, outer.top + InsetBorder, outer.width - 2 * InsetBorder,
            outer.height - 2 * InsetBorder};
}

inline constexpr Rect SpaceArea = DrawableArea(SpaceOuter);
inline constexpr Rect GraphArea = DrawableArea(GraphOuter);

static_assert(SpaceArea.width == SpaceWidth && SpaceArea.height == SpaceHeight);
static_assert(GraphArea.width == GraphWidth && GraphArea.height == GraphHeight);
static_assert(GraphOuter.left + GraphOuter.width <= ClientWidth &&
              GraphOuter.top + GraphOuter.height <= ClientHeight);

} // namespace morvane::app
