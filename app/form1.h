// The program's one window: it owns the world, its random source and both canvases, runs
// the click timer on its own thread and hands mouse releases on the world to the world.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "app/form_painter.h"
#include "app/mouse_routing.h"
#include "app/tick_schedule.h"
#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::app {

// The window system would not give us a window; what() says why.
class WindowError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Form1 {
public:
    // Opens the window with an empty world; the timer runs from here on.
    Form1();
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Delivers events, one at a time, until the window is closed.
    void Run();

    // The timer event of `click`: exactly one tick.
    void click_Timer();
    // The mouse-release event of `space`.
    void space_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);

private:
    // SDL's video layer for as long as the window lives.
    struct VideoSession {
        VideoSession();
        ~VideoSession();
    };
    struct WindowCloser {
        void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
    };

    void Dispatch(const SDL_Event& event);
    void OnWindowEvent(const SDL_WindowEvent& event);
    bool Visible() const;

    World world_{};
    RandomSource random_;
    Canvas space_ = Canvas::Space();
    Canvas graph_ = Canvas::Graph();

    VideoSession video_;
    std::unique_ptr<SDL_Window, WindowCloser> window_;
    FormPainter painter_;
    MouseRouting mouse_;
    TickSchedule click_;
    bool open_ = true;
    bool repaint_all_ = true;
};

} // namespace morvane::app
