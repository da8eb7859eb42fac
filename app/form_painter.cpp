// Painting goes through the window's own surface, not a renderer: no GPU context to lose,
// no vsync to stall the tick timer, and only the changed areas go to the window system.
#include "app/form_painter.h"

#include "app/form_layout.h"

namespace morvane::app {

namespace {

// The canvas packs red in the low byte, then green, then blue: a 32-bit pixel with the
// top byte unused, which the window's surface format can take with a plain conversion.
constexpr Uint32 CanvasFormat = SDL_PIXELFORMAT_XBGR8888;

constexpr SDL_Rect ToSdl(Rect r) { return {r.left, r.top, r.width, r.height}; }

Uint8* PixelAddress(SDL_Surface* surface, int x, int y)
{
    return static_cast<Uint8*>(surface->pixels) + y * surface->pitch +
           x * surface->format->BytesPerPixel;
}

// Whether the surface keeps 32-bit XRGB pixels, as the windows met in practice do: then a
// canvas goes onto it a changed pixel at a time.
bool IsXrgb(const SDL_Surface* surface)
{
    const SDL_PixelFormat* format = surface->format;
    return format->BytesPerPixel == 4 && format->Rmask == 0xff0000u && format->Gmask == 0xff00u &&
           format->Bmask == 0xffu && format->Amask == 0 && surface->pitch % 4 == 0;
}

// Copies what changed on the canvas onto the surface at `area` and returns the window
// rectangle round it. Any other pixel format takes the whole canvas in one conversion.
SDL_Rect ShowOn(SDL_Surface* surface, const Canvas& canvas, Rect area, ShownCanvas& shown)
{
    Uint8* origin = PixelAddress(surface, area.left, area.top);
    if (IsXrgb(surface)) {
        const Rect changed =
            shown.Show(canvas, {reinterpret_cast<std::uint32_t*>(origin), surface->pitch / 4});
        if (changed.width == 0) return {0, 0, 0, 0};
        return {area.left + changed.left, area.top + changed.top, changed.width, changed.height};
    }
    SDL_ConvertPixels(canvas.Width(), canvas.Height(), CanvasFormat, canvas.Pixels().data(),
                      canvas.Width() * static_cast<int>(sizeof(Colour)), surface->format->format,
                      origin, surface->pitch);
    shown.Remember(canvas);
    return ToSdl(area);
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
    for (const FaceStroke& stroke : FaceStrokes()) {
        const SDL_Rect rect = ToSdl(stroke.rect);
        const Shade s = stroke.shade;
        SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, s.red, s.green, s.blue));
    }
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
        for (const SDL_Rect& r : {ShowOn(surface, space, SpaceArea, space_shown_),
                                  ShowOn(surface, graph, GraphArea, graph_shown_)})
            if (r.w > 0) changed[count++] = r;
    }
    if (count > 0 && SDL_UpdateWindowSurfaceRects(window_, changed, count) != 0) lost_ = true;
}

void FormPainter::ShowAll(const Canvas& space, const Canvas& graph)
{
    SDL_Surface* surface = Surface();
    if (surface == nullptr) return;
    space_shown_.Forget();
    graph_shown_.Forget();
    {
        const SurfaceLock lock(surface);
        if (!lock.Locked()) return;
        ShowOn(surface, space, SpaceArea, space_shown_);
        ShowOn(surface, graph, GraphArea, graph_shown_);
    }
    lost_ = SDL_UpdateWindowSurface(window_) != 0;
}

} // namespace morvane::app
