// The program's one window on Windows: it owns the world, its random source and both
// canvases, runs a tick for each firing of the click timer on the window's own thread and
// hands mouse releases on the world to the world.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "app/form_face.h"
#include "app/mouse_routing.h"
#include "app/win32/click_timer.h"
#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::app {

class Form1 {
public:
    // Opens the window with an empty world; the timer runs from here on. Throws
    // std::system_error when the system gives no window.
    explicit Form1(HINSTANCE instance);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Delivers messages, one at a time, until the window is closed; returns the exit status.
    int Run();

    // The timer event of `click`: exactly one tick.
    void click_Timer();
    // The mouse-release event of `space`.
    void space_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
    void OnTick();
    void OnPaint();
    void OnPress(int button, LPARAM where);
    void OnRelease(int button, WPARAM keys, LPARAM where);
    void Show(const Canvas& canvas, Rect area, ShownCanvas& shown);

    World world_{};
    RandomSource random_;
    Canvas space_ = Canvas::Space();
    Canvas graph_ = Canvas::Graph();

    // The client area as it stands in the window, XRGB and top row first: the face painted
    // once, the canvases copied in after every tick. Painting the window is one copy from it.
    std::vector<std::uint32_t> client_;
    ShownCanvas space_shown_;
    ShownCanvas graph_shown_;
    int unpainted_ticks_ = 0; // since the window was last painted
    MouseRouting mouse_;
    HWND window_ = nullptr;
    std::optional<ClickTimer> click_;
};

} // namespace morvane::app
