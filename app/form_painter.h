// Puts the window on screen: the dialog-grey face, the sunken edges round the canvases,
// and the canvases' pixels copied straight from the simulation's in-memory surfaces.
#pragma once

#include <SDL.h>

#include "app/form_face.h"
#include "display/canvas.h"

namespace morvane::app {

class FormPainter {
public:
    explicit FormPainter(SDL_Window* window) : window_(window) {}

    // After a tick: copies into the window what changed on the canvases since they were
    // last shown, and shows just that. Shows everything when the window's surface is new
    // or was lost.
    void ShowCanvases(const Canvas& space, const Canvas& graph);

    // After an expose, a restore or a lost surface: paints and shows the whole client area.
    void ShowAll(const Canvas& space, const Canvas& graph);

private:
    // The window's surface, with the face and edges painted whenever it is a new one.
    // Null when the window system has none to give right now.
    SDL_Surface* Surface();
    void PaintFace(SDL_Surface* surface);

    SDL_Window* window_;
    SDL_Surface* painted_ = nullptr; // the surface the face was last painted on
    bool lost_ = true;               // the next show must send the whole client area
    // The canvases as they stand on the window's surface, so a tick copies only what it
    // changed.
    ShownCanvas space_shown_;
    ShownCanvas graph_shown_;
};

} // namespace morvane::app
