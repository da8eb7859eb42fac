// Six small panels on one pair of axes, shaded on one scale, so that a reader sees the animals'
// traits drift from moment to moment by where the dark patch sits, without reading a number.
#include "lab/trait_map_figure.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "lab/plot_axis.h"
#include "lab/plot_panel.h"

namespace morvane::lab {

namespace {

constexpr int Columns = 3, Panels = 6;
constexpr int SpeedBins = 48, TurnBins = 36; // bins of a few pixels: fine grain, yet filled
constexpr double PanelLeft = 84, PanelTop = 84, PanelWidth = 296, PanelHeight = 244;
constexpr double ColumnPitch = 336, RowPitch = 324; // room between panels for their numbers
constexpr double FontSize = 12;
constexpr Rgb01 MeanOrangeRed{1, 50 / 255.0, 0}; // the window's animals, bright on the blues

// Light to dark blue, evenly stepped in lightness; the lightest still shows on white, so a bin
// of one animal is seen.
constexpr std::array<Rgb01, 7> DensityRamp{{{0.776, 0.859, 0.937},
                                            {0.620, 0.792, 0.882},
                                            {0.420, 0.682, 0.839},
                                            {0.259, 0.573, 0.776},
                                            {0.129, 0.443, 0.710},
                                            {0.031, 0.318, 0.612},
                                            {0.031, 0.188, 0.420}}};

// The animals of a moment that can be placed on the axes: any with a speed or turn that is
// not a finite number is left out, rather than stretching the axes to infinity.
struct Placed {
    std::vector<double> speed, turn;
    std::size_t living = 0;               // every living animal, placed or not
    double mean_speed = 0, mean_turn = 0; // of the placed animals, when there are any
};

Placed PlaceOf(const TraitMoment& moment)
{
    Placed placed;
    placed.living = std::min(moment.speed.size(), moment.turn.size());
    for (std::size_t k = 0; k < placed.living; ++k)
        if (std::isfinite(moment.speed[k]) && std::isfinite(moment.turn[k])) {
            placed.speed.push_back(moment.speed[k]);
            placed.turn.push_back(moment.turn[k]);
            placed.mean_speed += moment.speed[k];
            placed.mean_turn += moment.turn[k];
        }
    if (!placed.speed.empty()) {
        placed.mean_speed /= static_cast<double>(placed.speed.size());
        placed.mean_turn /= static_cast<double>(placed.speed.size());
    }
    return placed;
}

// One axis for all panels, so a patch that moves between panels has moved in the traits.
Axis SharedAxis(const std::vector<Placed>& panels, std::vector<double> Placed::*values)
{
    double low = INFINITY, high = -INFINITY;
    for (const Placed& p : panels)
        for (double v : p.*values) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (!(low <= high)) low = 0, high = 1;     // no animal anywhere: empty panels still get axes
    const double margin = (high - low) * 0.04; // keeps the outermost animals off the frame
    return MakeAxis(low - margin, high + margin, 8, true);
}

struct Mapping {
    PanelBox box;
    const Axis &x, &y;
    double X(double speed) const
    {
        return box.left + (speed - x.low) / (x.high - x.low) * box.width;
    }
    double Y(double turn) const
    {
        return box.top + box.height - (turn - y.low) / (y.high - y.low) * box.height;
    }
};

int BinOf(double value, const Axis& axis, int bins)
{
    const double at = std::floor((value - axis.low) / (axis.high - axis.low) * bins);
    return static_cast<int>(std::clamp(at, 0.0, bins - 1.0));
}

// Animals per bin, turn bins from the bottom, speed bins from the left.
std::vector<int> CountsOf(const Placed& placed, const Axis& x, const Axis& y)
{
    std::vector<int> counts(SpeedBins * TurnBins, 0);
    for (std::size_t k = 0; k < placed.speed.size(); ++k)
        ++counts[BinOf(placed.turn[k], y, TurnBins) * SpeedBins +
                 BinOf(placed.speed[k], x, SpeedBins)];
    return counts;
}

// The colour a fraction 0..1 of the way along the ramp.
Rgb01 RampAt(double fraction)
{
    const double at = fraction * (DensityRamp.size() - 1);
    const std::size_t below = std::min(static_cast<std::size_t>(at), DensityRamp.size() - 2);
    const double f = at - below;
    const Rgb01 a = DensityRamp[below], b = DensityRamp[below + 1];
    return {a.red + (b.red - a.red) * f, a.green + (b.green - a.green) * f,
            a.blue + (b.blue - a.blue) * f};
}

// The shade of `count` animals where the fullest bin of any panel holds `most`: by square
// root, so that a few animals strung out behind a crowd still show.
Rgb01 ShadeOf(int count, int most) { return RampAt(std::sqrt(static_cast<double>(count) / most)); }

void Text(cairo_t* cr, const std::string& text, double x, double y, double align_x,
          double angle = 0)
{
    ShowText(cr, text, x, y, align_x, 0.5, angle, FontSize); // y is the text's middle
}

double Pixel(double v) { return std::round(v) + 0.5; } // a one-pixel line falls on a pixel

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, std::abs(value) < 1e4 ? "%.2f" : "%.3g", value);
    return text;
}

// The mean as cross hairs open at the middle, so the bins under the mean still show; a white
// edge keeps the hairs apart from the darkest bins.
void DrawMeanMark(cairo_t* cr, double x, double y, double gap, double arm)
{
    for (const double width : {4.0, 2.0}) {
        for (const double sign : {-1.0, 1.0}) {
            cairo_move_to(cr, x + sign * gap, y);
            cairo_line_to(cr, x + sign * (gap + arm), y);
            cairo_move_to(cr, x, y + sign * gap);
            cairo_line_to(cr, x, y + sign * (gap + arm));
        }
        const Rgb01 c = width > 2 ? Rgb01{1, 1, 1} : MeanOrangeRed;
        cairo_set_source_rgb(cr, c.red, c.green, c.blue);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    }
}

// Grid lines and tick marks in every panel; numbers only where the eye looks for them: down
// the left column and under each panel.
void DrawAxes(cairo_t* cr, const Mapping& m, bool turn_numbers, bool speed_label)
{
    const PanelBox& b = m.box;
    cairo_set_line_width(cr, 1);
    for (double v : m.y.ticks) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, b.left, Pixel(m.Y(v)));
        cairo_line_to(cr, b.left + b.width, Pixel(m.Y(v)));
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, b.left - 4, Pixel(m.Y(v)));
        cairo_line_to(cr, b.left, Pixel(m.Y(v)));
        cairo_stroke(cr);
        if (turn_numbers) Text(cr, TickLabel(v, m.y.step), b.left - 7, m.Y(v), 1);
    }
    for (double v : m.x.ticks) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, Pixel(m.X(v)), b.top);
        cairo_line_to(cr, Pixel(m.X(v)), b.top + b.height);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, Pixel(m.X(v)), b.top + b.height);
        cairo_line_to(cr, Pixel(m.X(v)), b.top + b.height + 4);
        cairo_stroke(cr);
        // A number at a panel's end that would reach the middle of the gap is left out, so it
        // cannot run into the neighbouring panel's first number.
        const std::string label = TickLabel(v, m.x.step);
        cairo_text_extents_t e;
        cairo_text_extents(cr, label.c_str(), &e);
        const double reach = (ColumnPitch - PanelWidth) / 2 - 3;
        if (m.X(v) - e.x_advance / 2 >= b.left - reach &&
            m.X(v) + e.x_advance / 2 <= b.left + b.width + reach)
            Text(cr, label, m.X(v), b.top + b.height + 13, 0.5);
    }
    if (turn_numbers)
        Text(cr, "turn (radians/tick)", b.left - 52, b.top + b.height / 2, 0.5,
             -1.5707963267948966);
    if (speed_label)
        Text(cr, "speed (pixels/tick)", b.left + b.width / 2, b.top + b.height + 32, 0.5);
}

// The moment and its head count above the panel, the mean at the right of the second line.
void DrawHeading(cairo_t* cr, const PanelBox& b, const TraitMoment& moment, const Placed& placed,
                 std::uint64_t runs)
{
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    Text(cr, "after " + GroupedDigits(moment.tick) + (moment.tick == 1 ? " tick" : " ticks"),
         b.left, b.top - 32, 0);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    std::string count =
        GroupedDigits(placed.living) + (placed.living == 1 ? " animal" : " animals");
    if (runs > 1) count += " of " + GroupedDigits(runs) + " runs";
    Text(cr, count, b.left, b.top - 14, 0);
    if (placed.speed.empty()) return;
    const std::string mean = "mean " + Number(placed.mean_speed) + ", " + Number(placed.mean_turn);
    cairo_text_extents_t e;
    cairo_text_extents(cr, mean.c_str(), &e);
    cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
    Text(cr, mean, b.left + b.width, b.top - 14, 1);
    DrawMeanMark(cr, b.left + b.width - e.x_advance - 12, b.top - 14, 1.5, 4);
}

void DrawMoment(cairo_t* cr, const Mapping& m, const Placed& placed, const std::vector<int>& counts,
                int most)
{
    const PanelBox& b = m.box;
    // Bin edges on whole pixels, shared by neighbours, so no seam shows between full bins.
    auto edge_x = [&](int k) { return std::round(b.left + b.width * k / SpeedBins); };
    auto edge_y = [&](int k) { return std::round(b.top + b.height - b.height * k / TurnBins); };
    for (int row = 0; row < TurnBins; ++row)
        for (int column = 0; column < SpeedBins; ++column)
            if (const int count = counts[row * SpeedBins + column]; count > 0) {
                const Rgb01 c = ShadeOf(count, most);
                cairo_set_source_rgb(cr, c.red, c.green, c.blue);
                cairo_rectangle(cr, edge_x(column), edge_y(row + 1),
                                edge_x(column + 1) - edge_x(column), edge_y(row) - edge_y(row + 1));
                cairo_fill(cr);
            }
    if (placed.speed.empty()) {
        cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
        Text(cr, placed.living == 0 ? "no animals alive" : "no finite traits to show",
             b.left + b.width / 2, b.top + b.height / 2, 0.5);
        return;
    }
    DrawMeanMark(cr, m.X(placed.mean_speed), m.Y(placed.mean_turn), 3, 7);
}

// What the shades mean, under the panels at the right: a bar from no animals to the fullest
// bin, numbered where its square-root scale puts a few round counts.
void DrawKey(cairo_t* cr, int most)
{
    constexpr double Width = 200, Height = 10, Right = PanelLeft + 2 * ColumnPitch + PanelWidth;
    constexpr double Left = Right - Width, Top = 714;
    constexpr int Steps = 100;
    for (int k = 0; k < Steps; ++k) {
        const Rgb01 c = RampAt((k + 0.5) / Steps);
        cairo_set_source_rgb(cr, c.red, c.green, c.blue);
        cairo_rectangle(cr, std::round(Left + Width * k / Steps), Top,
                        std::round(Left + Width * (k + 1) / Steps) -
                            std::round(Left + Width * k / Steps),
                        Height);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    Text(cr, "animals per bin", Left - 10, Top + Height / 2, 1);
    const Axis counts = MakeAxis(0, most, 4, false);
    std::vector<double> labels = {1.0, static_cast<double>(most)};
    for (double v : counts.ticks)
        labels.push_back(v);
    std::vector<double> placed_at;
    for (double v : labels) {
        if (v < 1 || v > most || v != std::floor(v)) continue; // counts are whole animals
        const double x = Left + Width * std::sqrt(v / most);
        if (std::any_of(placed_at.begin(), placed_at.end(),
                        [&](double at) { return std::abs(at - x) < 30; }))
            continue;
        placed_at.push_back(x);
        cairo_move_to(cr, Pixel(x), Top + Height);
        cairo_line_to(cr, Pixel(x), Top + Height + 3);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        Text(cr, GroupedDigits(static_cast<unsigned long long>(v)), x, Top + Height + 12, 0.5);
    }
}

void DrawFigure(cairo_t* cr, const TraitMap& map)
{
    StartPage(cr, TraitMapWidth, map.title, 28);
    cairo_set_font_size(cr, FontSize);

    const std::size_t shown = std::min<std::size_t>(map.moments.size(), Panels);
    std::vector<Placed> placed;
    for (std::size_t k = 0; k < shown; ++k)
        placed.push_back(PlaceOf(map.moments[k]));
    const Axis x = SharedAxis(placed, &Placed::speed), y = SharedAxis(placed, &Placed::turn);
    std::vector<std::vector<int>> counts;
    int most = 0;
    for (const Placed& p : placed) {
        counts.push_back(CountsOf(p, x, y));
        most = std::max(most, *std::max_element(counts.back().begin(), counts.back().end()));
    }
    for (std::size_t k = 0; k < shown; ++k) {
        const Mapping m{{PanelLeft + ColumnPitch * (k % Columns),
                         PanelTop + RowPitch * (k / Columns), PanelWidth, PanelHeight},
                        x,
                        y};
        DrawAxes(cr, m, k % Columns == 0, k + Columns >= shown);
        DrawMoment(cr, m, placed[k], counts[k], most);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, Pixel(m.box.left), Pixel(m.box.top), m.box.width - 1, m.box.height - 1);
        cairo_stroke(cr);
        DrawHeading(cr, m.box, map.moments[k], placed[k], map.runs);
    }
    if (most > 0) DrawKey(cr, most);
}

} // namespace

void WriteTraitMap(std::FILE* out, PlotFormat format, const TraitMap& map)
{
    WriteFigure(out, format, TraitMapWidth, TraitMapHeight, map.title,
                [&](cairo_t* cr) { DrawFigure(cr, map); });
}

} // namespace morvane::lab
