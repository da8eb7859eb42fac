// Button numbering, hit testing and press tracking for the world canvas's mouse releases.
#include "app/mouse_routing.h"

#include "app/form_layout.h"

namespace morvane::app {

std::int16_t ButtonCode(int system_button)
{
    switch (system_button) {
    case SystemLeft:
        return LeftButton;
    case SystemRight:
        return RightButton;
    case SystemMiddle:
        return MiddleButton;
    case SystemX1:
        return X1Button;
    case SystemX2:
        return X2Button;
    default:
        return NoButton;
    }
}

std::int16_t ShiftCode(bool shift, bool ctrl, bool alt)
{
    return static_cast<std::int16_t>((shift ? ShiftBit : 0) | (ctrl ? CtrlBit : 0) |
                                     (alt ? AltBit : 0));
}

Surface SurfaceAt(int window_x, int window_y)
{
    if (SpaceArea.Contains(window_x, window_y)) return Surface::Space;
    if (GraphArea.Contains(window_x, window_y)) return Surface::Graph;
    return Surface::Background;
}

void MouseRouting::Press(int system_button, int window_x, int window_y)
{
    if (system_button < 0 || system_button >= TrackedButtons) return;
    pressed_on_[static_cast<std::size_t>(system_button)] = SurfaceAt(window_x, window_y);
}

std::optional<SpaceRelease> MouseRouting::Release(int system_button, std::int16_t shift,
                                                  int window_x, int window_y)
{
    Surface owner = SurfaceAt(window_x, window_y);
    if (system_button >= 0 && system_button < TrackedButtons) {
        auto& pressed = pressed_on_[static_cast<std::size_t>(system_button)];
        if (pressed) owner = *pressed;
        pressed.reset();
    }
    if (owner != Surface::Space) return std::nullopt;
    return SpaceRelease{ButtonCode(system_button), shift,
                        static_cast<float>(window_x - SpaceArea.left),
                        static_cast<float>(window_y - SpaceArea.top)};
}

void MouseRouting::Forget() { pressed_on_.fill(std::nullopt); }

} // namespace morvane::app
