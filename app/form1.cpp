// The window's event loop: the click timer is a deadline that the event wait sleeps
// towards, so ticks and mouse events share the one thread and never overlap.
#include "app/form1.h"

#include <cstring>
#include <string>

#include "app/form_layout.h"
#include "sim/mouse_release.h"
#include "sim/tick.h"

namespace morvane::app {

namespace {

WindowError SdlFailure(const char* what)
{
    std::string message = what;
    message += ": ";
    message += SDL_GetError();
    return WindowError(message);
}

SDL_Window* OpenWindow()
{
    SDL_Window* window =
        SDL_CreateWindow("morvane", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ClientWidth,
                         ClientHeight, SDL_WINDOW_SHOWN);
    if (window == nullptr) throw SdlFailure("no window");
    return window;
}

std::int16_t CurrentShift()
{
    const SDL_Keymod mod = SDL_GetModState();
    return ShiftCode((mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_ALT) != 0);
}

} // namespace

Form1::VideoSession::VideoSession()
{
    // The window's own surface, not a GPU texture behind it: a context that can be lost
    // and a swap that can wait for the display are both worse here than a plain copy.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The click that focuses the window is still a click on the world.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) throw SdlFailure("no video");
    // With no display to reach, SDL falls back to drawing nowhere; a window nobody can see
    // is a failure, unless someone chose that driver on purpose.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible = driver != nullptr && (std::strcmp(driver, "offscreen") == 0 ||
                                                 std::strcmp(driver, "dummy") == 0);
    if (invisible && SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr) {
        SDL_Quit();
        throw WindowError("no display to open the window on");
    }
}

Form1::VideoSession::~VideoSession() { SDL_Quit(); }

Form1::Form1() : window_(OpenWindow()), painter_(window_.get()), click_(SDL_GetTicks64()) {}

Form1::~Form1() = default;

void Form1::click_Timer() { RunTick(world_, random_, WindowRules, space_, graph_); }

void Form1::space_MouseUp(std::int16_t button, std::int16_t shift, float x, float y)
{
    morvane::space_MouseUp(world_, random_, WindowRules, button, shift, x, y);
}

bool Form1::Visible() const
{
    return (SDL_GetWindowFlags(window_.get()) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

void Form1::Run()
{
    while (open_) {
        const std::uint64_t now = SDL_GetTicks64();
        if (click_.Due(now)) {
            click_.Fire(now);
            click_Timer();
            // Hidden or minimised, the world goes on; it is shown whole when it comes back.
            if (Visible() && !repaint_all_) painter_.ShowCanvases(space_, graph_);
        }
        if (repaint_all_ && Visible()) {
            painter_.ShowAll(space_, graph_);
            repaint_all_ = false;
        }

        SDL_Event event;
        while (open_ && SDL_PollEvent(&event))
            Dispatch(event);

        // Sleep, not SDL_WaitEventTimeout: on X11 an event arriving during that wait makes
        // SDL wake itself with a message sent over a second connection, which can reach
        // the server after the window is gone and then ends the program with an X error
        // at close. Waiting here delays a mouse event by at most one tick.
        if (open_) SDL_Delay(static_cast<Uint32>(click_.MsUntilDue(SDL_GetTicks64())));
    }
}

void Form1::Dispatch(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        open_ = false;
        break;
    case SDL_WINDOWEVENT:
        OnWindowEvent(event.window);
        break;
    case SDL_MOUSEBUTTONDOWN:
        mouse_.Press(event.button.button, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (const auto release =
                mouse_.Release(event.button.button, CurrentShift(), event.button.x, event.button.y))
            space_MouseUp(release->button, release->shift, release->x, release->y);
        break;
    default:
        break;
    }
}

void Form1::OnWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        open_ = false;
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        repaint_all_ = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        mouse_.Forget();
        break;
    default:
        break;
    }
}

} // namespace morvane::app
