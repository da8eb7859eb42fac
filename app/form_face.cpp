// The face's strokes and the changed-pixel copy of a canvas, free of any window system.
#include "app/form_face.h"

#include <algorithm>
#include <cstring>

namespace morvane::app {

namespace {

// One ring of a sunken edge, `inset` pixels in from the outer rectangle: top and left in
// one shade, bottom and right (drawn last, so they take the corners) in the other.
void AddRing(FaceStroke*& out, Rect outer, int inset, Shade top_left, Shade bottom_right)
{
    const int left = outer.left + inset;
    const int top = outer.top + inset;
    const int right = outer.left + outer.width - 1 - inset;
    const int bottom = outer.top + outer.height - 1 - inset;
    *out++ = {{left, top, right - left, 1}, top_left};
    *out++ = {{left, top, 1, bottom - top}, top_left};
    *out++ = {{left, bottom, right - left + 1, 1}, bottom_right};
    *out++ = {{right, top, 1, bottom - top + 1}, bottom_right};
}

} // namespace

std::array<FaceStroke, 17> FaceStrokes()
{
    std::array<FaceStroke, 17> strokes{};
    FaceStroke* out = strokes.data();
    *out++ = {{0, 0, ClientWidth, ClientHeight}, Face};
    for (const Rect outer : {SpaceOuter, GraphOuter}) {
        AddRing(out, outer, 0, Shadow, Highlight);
        AddRing(out, outer, 1, DarkShadow, Light);
    }
    return strokes;
}

void PaintFace(XrgbArea client)
{
    for (const FaceStroke& stroke : FaceStrokes()) {
        const Rect& r = stroke.rect;
        for (int y = r.top; y < r.top + r.height; ++y)
            std::fill_n(client.Row(y) + r.left, r.width, ToXrgb(stroke.shade));
    }
}

// A tick changes a few pixels per animal and plant. Writing all of them again into memory
// the window system reads costs several times more than comparing, so rows and then blocks
// of eight pixels that did not change are skipped.
Rect ShownCanvas::Show(const Canvas& canvas, XrgbArea target)
{
    const int width = canvas.Width();
    const std::vector<Colour>& now_all = canvas.Pixels();
    if (shown_.size() != now_all.size()) {
        for (int y = 0; y < canvas.Height(); ++y)
            std::transform(now_all.data() + static_cast<std::size_t>(y) * width,
                           now_all.data() + static_cast<std::size_t>(y + 1) * width, target.Row(y),
                           [](Colour c) { return ToXrgb(c); });
        shown_ = now_all;
        return {0, 0, width, canvas.Height()};
    }
    constexpr int Block = 8;
    const std::size_t row_bytes = static_cast<std::size_t>(width) * sizeof(Colour);
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < canvas.Height(); ++y) {
        const Colour* now = now_all.data() + static_cast<std::size_t>(y) * width;
        Colour* was = shown_.data() + static_cast<std::size_t>(y) * width;
        if (std::memcmp(now, was, row_bytes) == 0) continue;
        std::uint32_t* row = target.Row(y);
        for (int block = 0; block < width; block += Block) {
            const int end = std::min(block + Block, width);
            if (std::memcmp(now + block, was + block, (end - block) * sizeof(Colour)) == 0)
                continue;
            for (int x = block; x < end; ++x) {
                if (now[x] == was[x]) continue;
                was[x] = now[x];
                row[x] = ToXrgb(now[x]);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (top < 0) top = y;
        bottom = y;
    }
    if (top < 0) return {0, 0, 0, 0};
    return {left, top, right - left + 1, bottom - top + 1};
}

} // namespace morvane::app
