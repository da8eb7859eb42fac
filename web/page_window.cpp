// The window on the page: the desktop's face, mouse routing and timer schedule around a World,
// with the page's script only relaying its clock, its mouse and its animation frames. The face
// is kept as the desktop keeps it (XRGB window pixels) and handed to the page's 2D canvas as
// RGBA, only where it changed.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/form_face.h"
#include "app/form_layout.h"
#include "app/mouse_routing.h"
#include "app/tick_schedule.h"
#include "web/script_world.h"

namespace morvane::web {

namespace {

using emscripten::val;

// The page's clock (performance.now(), milliseconds with a fraction) in the schedule's whole
// milliseconds.
std::uint64_t Ms(double now) { return now <= 0 ? 0 : static_cast<std::uint64_t>(std::floor(now)); }

// An XRGB window pixel as the 2D canvas's ImageData keeps it: red, green, blue and an opaque
// alpha, in that order in memory.
constexpr std::uint32_t ToRgba(std::uint32_t xrgb)
{
    return 0xff000000u | ((xrgb >> 16) & 0xffu) | (xrgb & 0xff00u) | ((xrgb & 0xffu) << 16);
}

app::Rect Around(app::Rect a, app::Rect b)
{
    if (a.width == 0) return b;
    if (b.width == 0) return a;
    const int left = std::min(a.left, b.left), top = std::min(a.top, b.top);
    const int right = std::max(a.left + a.width, b.left + b.width);
    const int bottom = std::max(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

} // namespace

class PageWindow {
public:
    explicit PageWindow(double now)
        : world_(val::undefined()), click_(Ms(now)),
          xrgb_(static_cast<std::size_t>(app::ClientWidth) * app::ClientHeight), rgba_(xrgb_.size())
    {
        app::PaintFace({xrgb_.data(), app::ClientWidth});
        dirty_ = {0, 0, app::ClientWidth, app::ClientHeight};
    }

    // The page's timer fired at `now`: one tick when one is due. A timer the browser
    // held back (a hidden tab's) takes one firing and drops the ones it missed, as the
    // desktop's does, so the world never runs a burst to catch up.
    bool Timer(double now)
    {
        if (!click_.Due(Ms(now))) return false;
        click_.Fire(Ms(now));
        world_.Run().Tick(nobody_);
        return true;
    }

    // How long the page's timer may wait from `now` before the next firing is due: the page
    // sets it afresh each time, as the desktop's event wait does, so its firings land on the
    // schedule's own grid.
    double MsUntilDue(double now) const { return static_cast<double>(click_.MsUntilDue(Ms(now))); }

    // A button went down or came up at (x, y) in the face's pixels, the button numbered as
    // MouseEvent.button numbers it (0 left, 1 middle, 2 right, 3 and 4 the side buttons).
    void Press(int button, int x, int y) { mouse_.Press(button + 1, x, y); }
    void Release(int button, int x, int y)
    {
        if (auto release = mouse_.Release(button + 1, 0, x, y))
            world_.Run().Release(release->button, release->x, release->y, nobody_);
    }
    void Forget() { mouse_.Forget(); }

    // The page's pixels went (a hidden tab's canvas may be dropped by the browser): the next
    // Paint hands over the whole face.
    void RepaintAll()
    {
        space_shown_.Forget();
        graph_shown_.Forget();
        dirty_ = {0, 0, app::ClientWidth, app::ClientHeight};
    }

    // Copies what changed on the canvases into the face and returns [left, top, width, height]
    // of the face's pixels to hand to the page, width 0 when nothing changed.
    val Paint()
    {
        const RunState& run = world_.Run().State();
        const app::Rect space = Show(run.space, app::SpaceArea, space_shown_);
        const app::Rect graph = Show(run.graph, app::GraphArea, graph_shown_);
        const app::Rect changed = Around(dirty_, Around(space, graph));
        dirty_ = {0, 0, 0, 0};
        for (int y = changed.top; y < changed.top + changed.height; ++y)
            for (int x = changed.left; x < changed.left + changed.width; ++x) {
                const std::size_t k = static_cast<std::size_t>(y) * app::ClientWidth + x;
                rgba_[k] = ToRgba(xrgb_[k]);
            }
        val rect = val::array();
        for (int value : {changed.left, changed.top, changed.width, changed.height})
            rect.call<void>("push", value);
        return rect;
    }

    // The face's RGBA pixels, 516 x 529, over the module's memory, for an ImageData.
    val Pixels()
    {
        return val(emscripten::typed_memory_view(
            rgba_.size() * 4, reinterpret_cast<const std::uint8_t*>(rgba_.data())));
    }

    // The window's own world, not a copy: what a script reads of it is what the page shows.
    ScriptWorld* World() { return &world_; }
    double TicksFired() const { return static_cast<double>(click_.Fired()); }
    double TicksDropped() const { return static_cast<double>(click_.Dropped()); }

private:
    app::Rect Show(const Canvas& canvas, app::Rect area, app::ShownCanvas& shown)
    {
        const app::Rect changed = shown.Show(
            canvas,
            {xrgb_.data() + static_cast<std::size_t>(area.top) * app::ClientWidth + area.left,
             app::ClientWidth});
        if (changed.width == 0) return changed;
        return {area.left + changed.left, area.top + changed.top, changed.width, changed.height};
    }

    ScriptWorld world_;
    Untold nobody_;
    app::TickSchedule click_;
    app::MouseRouting mouse_;
    app::ShownCanvas space_shown_, graph_shown_;
    std::vector<std::uint32_t> xrgb_; // the face as the desktop front ends keep it
    std::vector<std::uint32_t> rgba_; // the same, as the page's canvas takes it
    app::Rect dirty_;                 // face pixels to hand over besides the canvases' changes
};

EMSCRIPTEN_BINDINGS(morvane_window)
{
    emscripten::class_<PageWindow>("PageWindow")
        .constructor<double>()
        .function("timer", &PageWindow::Timer)
        .function("msUntilDue", &PageWindow::MsUntilDue)
        .function("press", &PageWindow::Press)
        .function("release", &PageWindow::Release)
        .function("forget", &PageWindow::Forget)
        .function("repaintAll", &PageWindow::RepaintAll)
        .function("paint", &PageWindow::Paint)
        .function("pixels", &PageWindow::Pixels)
        .function("world", &PageWindow::World, emscripten::allow_raw_pointers())
        .property("ticksFired", &PageWindow::TicksFired)
        .property("ticksDropped", &PageWindow::TicksDropped);
}

} // namespace morvane::web
