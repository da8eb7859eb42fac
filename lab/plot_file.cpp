// The populations above, the mean speed and turning rate below, on one time axis.
#include "lab/plot_file.h"

#include <cairo.h>

#include "lab/ensemble_table.h"
#include "lab/plot_axis.h"
#include "lab/plot_panel.h"

namespace morvane::lab {

namespace {

constexpr Rgb01 PlantGreen{0, 0.72, 0};            // the window's plants, a little darker on white
constexpr Rgb01 AnimalOrangeRed{1, 50 / 255.0, 0}; // the window's animals
constexpr Rgb01 SpeedBlue{0.12, 0.35, 0.8};
constexpr Rgb01 TurnPurple{0.55, 0.2, 0.65};

void DrawFigure(cairo_t* cr, const PlotSeries& series)
{
    StartPage(cr, PlotWidth, series.title, 26);

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

void WritePlot(std::FILE* out, PlotFormat format, const PlotSeries& series)
{
    WriteFigure(out, format, PlotWidth, PlotHeight, series.title,
                [&](cairo_t* cr) { DrawFigure(cr, series); });
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
        if (ensemble.identity.resumed)
            series.title += " forked at tick " + GroupedDigits(ensemble.identity.from) +
                            " from seed " + GroupedDigits(ensemble.identity.first_seed) + ", to " +
                            GroupedDigits(ensemble.identity.to) + " ticks";
        else
            series.title += " from seed " + GroupedDigits(ensemble.identity.first_seed) + ", " +
                            GroupedDigits(ensemble.identity.to) + " ticks each";
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
