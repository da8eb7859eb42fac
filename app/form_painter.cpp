// Painting goes through the window's own surface, not a renderer: no GPU context to lose,
// no vsync to stall the tick timer, and only the changed areas go to the window system.
#include "app/form_painter.h"

#include <algorithm>
#include <cstring>

#include "app/form_layout.h"

namespace morvane::app {

namespace {

struct Shade {
    Uint8 red, green, blue;
};

// The usual dialog face and its 3D edge shades: an inset edge is shadow over dark shadow
// on the top and left, highlight over light on the bottom and right.
constexpr Shade Face{240, 240, 240};
constexpr Shade Shadow{160, 160, 160};
constexpr Shade DarkShadow{105, 105, 105};
constexpr Shade Light{227, 227, 227};
constexpr Shade Highlight{255, 255, 255};

// The canvas packs red in the low byte, then green, then blue: a 32-bit pixel with the
// top byte unused, which the window's surface format can take with a plain conversion.
constexpr Uint32 CanvasFormat = SDL_PIXELFORMAT_XBGR8888;

void Fill(SDL_Surface* surface, int left, int top, int width, int height, Shade shade)
{
    const SDL_Rect rect{left, top, width, height};
    SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, shade.red, shade.green, shade.blue));
}

// One ring of the edge, `inset` pixels in from the outer rectangle.
void PaintRing(SDL_Surface* surface, Rect outer, int inset, Shade top_left, Shade bottom_right)
{
    const int left = outer.left + inset;
    const int top = outer.top + inset;
    const int right = outer.left + outer.width - 1 - inset;
    const int bottom = outer.top + outer.height - 1 - inset;
    Fill(surface, left, top, right - left, 1, top_left);
    Fill(surface, left, top, 1, bottom - top, top_left);
    Fill(surface, left, bottom, right - left + 1, 1, bottom_right);
    Fill(surface, right, top, 1, bottom - top + 1, bottom_right);
}

void PaintSunkenEdge(SDL_Surface* surface, Rect outer)
{
    PaintRing(surface, outer, 0, Shadow, Highlight);
    PaintRing(surface, outer, 1, DarkShadow, Light);
}

constexpr SDL_Rect ToSdl(Rect r) { return {r.left, r.top, r.width, r.height}; }

Uint8* PixelAddress(SDL_Surface* surface, int x, int y)
{
    return static_cast<Uint8*>(surface->pixels) + y * surface->pitch +
           x * surface->format->BytesPerPixel;
}

// Whether a 32-bit surface keeps red in bits 16..23, green 8..15 and blue 0..7, as the
// windows met in practice do: then a pixel is the canvas colour with red and blue swapped.
bool IsXrgb(const SDL_PixelFormat* format)
{
    return format->BytesPerPixel == 4 && format->Rmask == 0xff0000u && format->Gmask == 0xff00u &&
           format->Bmask == 0xffu;
}

Uint32 ToSurface(const SDL_PixelFormat* format, bool xrgb, Colour c)
{
    if (xrgb) return ((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu) | format->Amask;
    return SDL_MapRGB(format, static_cast<Uint8>(RedOf(c)), static_cast<Uint8>(GreenOf(c)),
                      static_cast<Uint8>(BlueOf(c)));
}

// Converts the whole canvas onto the surface at `area` and remembers it as shown.
void CopyAll(SDL_Surface* surface, const Canvas& canvas, Rect area, std::vector<Colour>& shown)
{
    SDL_ConvertPixels(canvas.Width(), canvas.Height(), CanvasFormat, canvas.Pixels().data(),
                      canvas.Width() * static_cast<int>(sizeof(Colour)), surface->format->format,
                      PixelAddress(surface, area.left, area.top), surface->pitch);
    shown = canvas.Pixels();
}

// Copies only the pixels that differ from `shown` and returns the window rectangle round
// them, empty when none did. A tick changes a few pixels per animal and plant; writing all
// of them again into memory the window system reads costs several times more than
// comparing, so rows and then blocks of eight pixels that did not change are skipped.
SDL_Rect CopyChanges(SDL_Surface* surface, const Canvas& canvas, Rect area,
                     std::vector<Colour>& shown)
{
    const SDL_PixelFormat* format = surface->format;
    if (format->BytesPerPixel != 4 || shown.size() != canvas.Pixels().size()) {
        CopyAll(surface, canvas, area, shown);
        return ToSdl(area);
    }
    constexpr int Block = 8;
    static_assert(SpaceWidth % Block == 0 && GraphWidth % Block == 0);
    const bool xrgb = IsXrgb(format);
    const int width = canvas.Width();
    const std::size_t row_bytes = static_cast<std::size_t>(width) * sizeof(Colour);
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < canvas.Height(); ++y) {
        const Colour* now = canvas.Pixels().data() + static_cast<std::size_t>(y) * width;
        Colour* was = shown.data() + static_cast<std::size_t>(y) * width;
        if (std::memcmp(now, was, row_bytes) == 0) continue;
        auto* target = reinterpret_cast<Uint32*>(PixelAddress(surface, area.left, area.top + y));
        for (int block = 0; block < width; block += Block) {
            if (std::memcmp(now + block, was + block, Block * sizeof(Colour)) == 0) continue;
            for (int x = block; x < block + Block; ++x) {
                if (now[x] == was[x]) continue;
                was[x] = now[x];
                target[x] = ToSurface(format, xrgb, now[x]);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (top < 0) top = y;
        bottom = y;
    }
    if (top < 0) return {0, 0, 0, 0};
    return {area.left + left, area.top + top, right - left + 1, bottom - top + 1};
}

// Surfaces that need locking are locked for the whole copy.
class SurfaceLock {
public:
    explicit SurfaceLock(SDL_Surface* surface)
        : surface_(surface), locked_(!SDL_MUSTLOCK(surface) || SDL_LockSurface(surface) == 0)
    {
    }
    ~SurfaceLock()
    {
        if (locked_ && SDL_MUSTLOCK(surface_)) SDL_UnlockSurface(surface_);
    }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
    bool Locked() const { return locked_; }

private:
    SDL_Surface* surface_;
    bool locked_;
};

} // namespace

SDL_Surface* FormPainter::Surface()
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        lost_ = true;
        return nullptr;
    }
    if (surface != painted_) {
        PaintFace(surface);
        painted_ = surface;
        lost_ = true;
    }
    return surface;
}

void FormPainter::PaintFace(SDL_Surface* surface)
{
    Fill(surface, 0, 0, ClientWidth, ClientHeight, Face);
    PaintSunkenEdge(surface, SpaceOuter);
    PaintSunkenEdge(surface, GraphOuter);
}

void FormPainter::ShowCanvases(const Canvas& space, const Canvas& graph)
{
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return;
    if (lost_) {
        ShowAll(space, graph);
        return;
    }
    SDL_Rect changed[2];
    int count = 0;
    {
        const SurfaceLock lock(surface);
        if (!lock.Locked()) return;
        for (const SDL_Rect& r : {CopyChanges(surface, space, SpaceArea, space_shown_),
                                  CopyChanges(surface, graph, GraphArea, graph_shown_)})
            if (r.w > 0) changed[count++] = r;
    }
    if (count > 0 && SDL_UpdateWindowSurfaceRects(window_, changed, count) != 0) lost_ = true;
}

void FormPainter::ShowAll(const Canvas& space, const Canvas& graph)
{
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return;
    {
        const SurfaceLock lock(surface);
        if (!lock.Locked()) return;
        CopyAll(surface, space, SpaceArea, space_shown_);
        CopyAll(surface, graph, GraphArea, graph_shown_);
    }
    lost_ = SDL_UpdateWindowSurface(window_) != 0;
}

} // namespace morvane::app
