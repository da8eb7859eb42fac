// A trace breaks where a point has nothing to show, rather than bridging the gap with a line
// that would suggest values nobody measured.
#include "lab/plot_panel.h"

#include <algorithm>
#include <cmath>

#include "lab/figure_file.h"
#include "lab/plot_axis.h"

namespace morvane::lab {

namespace {

constexpr double FontSize = 13;

struct Mapping {
    PanelBox box;
    Axis x, y;
    double X(double tick) const { return box.left + (tick - x.low) / (x.high - x.low) * box.width; }
    double Y(double v) const
    {
        return box.top + box.height - (v - y.low) / (y.high - y.low) * box.height;
    }
};

void Text(cairo_t* cr, const std::string& text, double x, double y, double align_x, double align_y,
          double angle = 0)
{
    ShowText(cr, text, x, y, align_x, align_y, angle, FontSize);
}

// Calls `run(first, last)` for each stretch of consecutive points whose band is present.
template <typename Run>
void ForEachStretch(const std::vector<PlotPoint>& points, Band PlotPoint::*member, Run run)
{
    std::size_t k = 0;
    while (k < points.size()) {
        if (!(points[k].*member).present) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < points.size() && (points[end].*member).present)
            ++end;
        run(k, end);
        k = end;
    }
}

// The band of a trace, or with `line` its middle line; every band is laid down before any
// line, so no band hides another trace's line.
void DrawTrace(cairo_t* cr, const Mapping& m, const std::vector<PlotPoint>& points,
               const PanelTrace& trace, bool line)
{
    const Rgb01 c = trace.colour;
    ForEachStretch(points, trace.member, [&](std::size_t first, std::size_t end) {
        auto band = [&](std::size_t k) -> const Band& { return points[k].*trace.member; };
        if (!line) {
            for (std::size_t k = first; k < end; ++k)
                cairo_line_to(cr, m.X(points[k].tick), m.Y(band(k).high));
            for (std::size_t k = end; k-- > first;)
                cairo_line_to(cr, m.X(points[k].tick), m.Y(band(k).low));
            cairo_close_path(cr);
            cairo_set_source_rgba(cr, c.red, c.green, c.blue, 0.22);
            cairo_fill(cr);
            return;
        }
        for (std::size_t k = first; k < end; ++k)
            cairo_line_to(cr, m.X(points[k].tick), m.Y(band(k).middle));
        if (end - first == 1) // a lone point still shows, as a dot
            cairo_arc(cr, m.X(points[first].tick), m.Y(band(first).middle), 1.5, 0,
                      6.283185307179586);
        cairo_set_source_rgb(cr, c.red, c.green, c.blue);
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
    });
}

void DrawAxes(cairo_t* cr, const Mapping& m, const PanelText& text)
{
    const PanelBox& b = m.box;
    cairo_set_line_width(cr, 1);
    for (double v : m.y.ticks) { // grid, then the tick marks and numbers
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, b.left, std::round(m.Y(v)) + 0.5);
        cairo_line_to(cr, b.left + b.width, std::round(m.Y(v)) + 0.5);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, b.left - 5, std::round(m.Y(v)) + 0.5);
        cairo_line_to(cr, b.left, std::round(m.Y(v)) + 0.5);
        cairo_stroke(cr);
        Text(cr, TickLabel(v, m.y.step), b.left - 8, m.Y(v), 1, 0.5);
    }
    for (double t : m.x.ticks) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, std::round(m.X(t)) + 0.5, b.top);
        cairo_line_to(cr, std::round(m.X(t)) + 0.5, b.top + b.height);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, std::round(m.X(t)) + 0.5, b.top + b.height);
        cairo_line_to(cr, std::round(m.X(t)) + 0.5, b.top + b.height + 5);
        cairo_stroke(cr);
        Text(cr, TickLabel(t, m.x.step), m.X(t), b.top + b.height + 8, 0.5, 0);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    Text(cr, text.value_label, b.left - 62, b.top + b.height / 2, 0.5, 0.5, -1.5707963267948966);
    if (text.time_label)
        Text(cr, "time (ticks)", b.left + b.width / 2, b.top + b.height + 28, 0.5, 0);
}

// The legend sits in a row just above the panel, right-aligned, so it hides no data.
void DrawLegend(cairo_t* cr, const PanelBox& b, const std::vector<PanelTrace>& traces,
                const PanelText& text)
{
    constexpr double Swatch = 22, Gap = 8, Spacing = 20;
    auto advance = [&](const std::string& line) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, line.c_str(), &e);
        return e.x_advance;
    };
    double width = text.band_legend.empty() ? 0 : advance(text.band_legend);
    for (const PanelTrace& t : traces)
        width += (width > 0 ? Spacing : 0) + Swatch + Gap + advance(t.legend);
    double x = b.left + b.width - width;
    const double y = b.top - 10;
    for (const PanelTrace& t : traces) {
        const Rgb01 c = t.colour;
        cairo_rectangle(cr, x, y - 5, Swatch, 10);
        cairo_set_source_rgba(cr, c.red, c.green, c.blue, 0.22);
        cairo_fill(cr);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + Swatch, y);
        cairo_set_source_rgb(cr, c.red, c.green, c.blue);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        Text(cr, t.legend, x + Swatch + Gap, y, 0, 0.5);
        x += Swatch + Gap + advance(t.legend) + Spacing;
    }
    if (!text.band_legend.empty()) {
        cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
        Text(cr, text.band_legend, x, y, 0, 0.5);
    }
}

} // namespace

void DrawPanel(cairo_t* cr, const PanelBox& box, const std::vector<PlotPoint>& points,
               double first_tick, double last_tick, const std::vector<PanelTrace>& traces,
               const PanelText& text)
{
    double low = INFINITY, high = -INFINITY;
    for (const PlotPoint& p : points)
        for (const PanelTrace& t : traces)
            if ((p.*t.member).present) {
                low = std::min(low, (p.*t.member).low);
                high = std::max(high, (p.*t.member).high);
            }
    if (!(low <= high)) low = 0, high = 1; // nothing to show: an empty panel with an axis
    // A run from a fresh world starts at tick 0, and a run of no ticks still gets a time axis
    // that runs forward; a resumed run's axis starts at its first row.
    const double end = first_tick == 0 ? std::max(last_tick, 1.0) : last_tick;
    Mapping m{box, MakeAxis(first_tick, end, 7, false), MakeAxis(low, high, 5, true)};

    cairo_set_font_size(cr, FontSize);
    DrawAxes(cr, m, text);
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.width, box.height);
    cairo_clip(cr);
    for (bool line : {false, true})
        for (const PanelTrace& t : traces)
            DrawTrace(cr, m, points, t, line);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, std::round(box.left) + 0.5, std::round(box.top) + 0.5,
                    std::round(box.width) - 1, std::round(box.height) - 1);
    cairo_stroke(cr);
    DrawLegend(cr, box, traces, text);
}

} // namespace morvane::lab
