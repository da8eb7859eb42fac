// Cairo draws the same figure on an image surface for PNG and on an SVG surface, both
// streamed into the output file the lab opened before the run.
#include "lab/plot_file.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

#include "lab/ensemble_table.h"
#include "lab/lab_error.h"
#include "lab/plot_axis.h"
#include "lab/plot_panel.h"

namespace morvane::lab {

namespace {

constexpr Rgb01 PlantGreen{0, 0.72, 0};            // the window's plants, a little darker on white
constexpr Rgb01 AnimalOrangeRed{1, 50 / 255.0, 0}; // the window's animals
constexpr Rgb01 SpeedBlue{0.12, 0.35, 0.8};
constexpr Rgb01 TurnPurple{0.55, 0.2, 0.65};

cairo_status_t WriteTo(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, out) == length ? CAIRO_STATUS_SUCCESS
                                                       : CAIRO_STATUS_WRITE_ERROR;
}

void DrawFigure(cairo_t* cr, const PlotSeries& series)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 16);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_text_extents_t e;
    cairo_text_extents(cr, series.title.c_str(), &e);
    cairo_move_to(cr, (PlotWidth - e.x_advance) / 2, 26);
    cairo_show_text(cr, series.title.c_str());
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    const double first =
        series.points.empty() ? 0 : static_cast<double>(series.points.front().tick);
    const double last = series.points.empty() ? 0 : static_cast<double>(series.points.back().tick);
    const std::string middle = series.ensemble ? "median of " : "";
    const std::string band = series.ensemble ? "band: 10\xe2\x80\x93"
                                               "90 % of runs"
                                             : "band: mean \xc2\xb1 1 standard deviation";
    const double left = 88, width = PlotWidth - left - 44;
    DrawPanel(
        cr, {left, 48, width, 300}, series.points, first, last,
        {{series.ensemble ? "plants (median)" : "plants", PlantGreen, &PlotPoint::plants},
         {series.ensemble ? "animals (median)" : "animals", AnimalOrangeRed, &PlotPoint::animals}},
        {"living (count)",
         series.ensemble ? "band: 10\xe2\x80\x93"
                           "90 % of runs"
                         : "",
         false});
    DrawPanel(cr, {left, 410, width, 150}, series.points, first, last,
              {{middle + "mean speed", SpeedBlue, &PlotPoint::speed}},
              {"speed (pixels/tick)", band, false});
    DrawPanel(cr, {left, 614, width, 150}, series.points, first, last,
              {{middle + "mean turning rate", TurnPurple, &PlotPoint::turn}},
              {"turn (radians/tick)", band, true});
}

} // namespace

PlotFormat PlotFormatOf(const std::string& path, const char* option)
{
    const std::size_t dot = path.find_last_of("./");
    std::string extension = dot == std::string::npos || path[dot] != '.' ? "" : path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") return PlotFormat::Png;
    if (extension == ".svg") return PlotFormat::Svg;
    throw LabError(std::string(option) + " " + path +
                   ": unknown figure format (the name must end in .png or .svg)");
}

void WritePlot(std::FILE* out, PlotFormat format, const PlotSeries& series)
{
    // Cairo and fontconfig keep their font caches until the process ends, which the leak
    // checker of the sanitizer builds reports as leaks; the lab draws one figure at the very
    // end of its work, so they are handed back once it is drawn (the next use would rebuild them).
    struct FontCachesReleased {
        ~FontCachesReleased()
        {
            cairo_debug_reset_static_data();
            FcFini();
        }
    } release;
    cairo_surface_t* surface =
        format == PlotFormat::Svg
            ? cairo_svg_surface_create_for_stream(WriteTo, out, PlotWidth, PlotHeight)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, PlotWidth, PlotHeight);
    cairo_t* cr = cairo_create(surface);
    DrawFigure(cr, series);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS && format == PlotFormat::Png)
        status = cairo_surface_write_to_png_stream(surface, WriteTo, out);
    cairo_surface_finish(surface); // an SVG is written out here
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw LabError(std::string("figure could not be drawn: ") + cairo_status_to_string(status));
}

namespace {

Band Exactly(double value) { return {true, value, value, value}; }

Band OneDeviation(bool present, const TraitSpread& spread)
{
    return {present, spread.mean - spread.sd, spread.mean, spread.mean + spread.sd};
}

Band Spread(bool present, const Quantiles& q) { return {present, q.p10, q.median, q.p90}; }

class WorldFigure : public WorldOutput {
public:
    WorldFigure(const std::string& path, OutputFile& file)
        : format_(PlotFormatOf(path)), file_(file)
    {
    }
    void RowDue(const SampleRow& row) override
    {
        const bool present = row.animals.living > 0;
        series_.points.push_back({row.tick, Exactly(row.animals.living), Exactly(row.plants),
                                  OneDeviation(present, row.animals.speed),
                                  OneDeviation(present, row.animals.turn)});
    }
    void Finish(const RunState& run) override
    {
        series_.title = "Morvane: one run from seed " + GroupedDigits(run.seed) + ", " +
                        GroupedDigits(run.ticks_run) + " ticks";
        WritePlot(file_.Stream(), format_, series_);
    }

private:
    PlotFormat format_;
    OutputFile& file_;
    PlotSeries series_;
};

class EnsembleFigure : public EnsembleOutput {
public:
    EnsembleFigure(const std::string& path, OutputFile& file)
        : format_(PlotFormatOf(path)), file_(file)
    {
    }
    void Finish(const FinishedEnsemble& ensemble) override
    {
        PlotSeries series;
        series.ensemble = true;
        const std::uint64_t runs = ensemble.records.size();
        series.title = "Morvane: " + GroupedDigits(runs) + (runs == 1 ? " run" : " runs");
        if (ensemble.resumed)
            series.title += " forked at tick " + GroupedDigits(ensemble.from) + " from seed " +
                            GroupedDigits(ensemble.first_seed) + ", to " +
                            GroupedDigits(ensemble.ticks) + " ticks";
        else
            series.title += " from seed " + GroupedDigits(ensemble.first_seed) + ", " +
                            GroupedDigits(ensemble.ticks) + " ticks each";
        for (const EnsembleRow& row : ensemble.rows) {
            const bool present = row.runs_with_animals > 0;
            series.points.push_back({row.tick, Spread(true, row.animals), Spread(true, row.plants),
                                     Spread(present, row.speed_mean),
                                     Spread(present, row.turn_mean)});
        }
        WritePlot(file_.Stream(), format_, series);
    }

private:
    PlotFormat format_;
    OutputFile& file_;
};

} // namespace

std::unique_ptr<WorldOutput> MakeWorldFigure(const std::string& path,
                                             const std::vector<OutputFile*>& files)
{
    return std::make_unique<WorldFigure>(path, *files.at(0));
}

std::unique_ptr<EnsembleOutput> MakeEnsembleFigure(const std::string& path,
                                                   const std::vector<OutputFile*>& files)
{
    return std::make_unique<EnsembleFigure>(path, *files.at(0));
}

} // namespace morvane::lab
