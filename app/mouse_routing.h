// Turns the window system's button presses and releases into the world canvas's
// space_MouseUp calls, with plain numbers only so it runs without a display.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/mouse_release.h"

namespace morvane::app {

// Window-system button numbers as the event layer reports them.
inline constexpr int SystemLeft = 1;
inline constexpr int SystemMiddle = 2;
inline constexpr int SystemRight = 3;
inline constexpr int SystemX1 = 4;
inline constexpr int SystemX2 = 5;

// Modifier bits in the shift argument.
inline constexpr std::int16_t ShiftBit = 1;
inline constexpr std::int16_t CtrlBit = 2;
inline constexpr std::int16_t AltBit = 4;

// The world canvas's code (LeftButton, RightButton, ... of sim/mouse_release.h) for a
// window-system button number; NoButton for a number it has no code for.
std::int16_t ButtonCode(int system_button);
std::int16_t ShiftCode(bool shift, bool ctrl, bool alt);

// What lies under a point of the client area. The sunken edges count as neither canvas:
// like a control's frame they take no clicks.
enum class Surface : std::uint8_t { Background, Space, Graph };
Surface SurfaceAt(int window_x, int window_y);

// One call of space_MouseUp: x and y in world canvas pixels, (0, 0) the top-left pixel
// inside the edge; they may lie off the world when the button was pressed on it.
struct SpaceRelease {
    std::int16_t button;
    std::int16_t shift;
    float x;
    float y;
};

// Remembers, per button, which surface the press landed on: the release belongs there,
// as it would to a control that captures the mouse while a button is down.
class MouseRouting {
public:
    void Press(int system_button, int window_x, int window_y);

    // The call to make for this release, if it belongs to the world canvas. A release with
    // no press seen (a click that gave the window its focus may lose its press) belongs to
    // whatever lies under the pointer.
    std::optional<SpaceRelease> Release(int system_button, std::int16_t shift, int window_x,
                                        int window_y);

    // The window lost its grip on the mouse (focus gone): a held button's release, if it
    // ever comes, can no longer be trusted to match its press.
    void Forget();

private:
    static constexpr int TrackedButtons = 256; // the event layer numbers buttons in a byte
    std::array<std::optional<Surface>, TrackedButtons> pressed_on_{};
};

} // namespace morvane::app
