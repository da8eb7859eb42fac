// One panel of a figure: a framed plot area with a time axis, a value axis, and traces drawn
// as a line inside a translucent band, with a legend.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "lab/plot_series.h"

namespace morvane::lab {

struct Rgb01 {
    double red, green, blue; // each 0..1
};

struct PanelTrace {
    std::string legend;      // what the line is, UTF-8
    Rgb01 colour;            // of the line; the band is the same colour, translucent
    Band PlotPoint::*member; // which of each point's bands
};

struct PanelBox {
    double left, top, width, height; // the plot area, device units (pixels in a PNG)
};

struct PanelText {
    std::string value_label; // the value axis's name and unit
    std::string band_legend; // what the bands are, shown after the traces; empty: no entry
    bool time_label = false; // name the time axis under this panel
};

// Draws the panel for `points` over ticks `first_tick`..`last_tick`.
void DrawPanel(cairo_t* cr, const PanelBox& box, const std::vector<PlotPoint>& points,
               double first_tick, double last_tick, const std::vector<PanelTrace>& traces,
               const PanelText& text);

} // namespace morvane::lab
