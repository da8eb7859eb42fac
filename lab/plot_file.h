// The figure of a run or an ensemble as a PNG or SVG file: the populations over time above,
// the animals' mean speed and mean turning rate below.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lab/figure_file.h"
#include "lab/output.h"
#include "lab/output_file.h"
#include "lab/plot_series.h"

namespace morvane::lab {

inline constexpr int PlotWidth = 960; // pixels of the PNG, points of the SVG
inline constexpr int PlotHeight = 810;

// Draws `series` and writes it to `out`; throws LabError when cairo reports a failure.
void WritePlot(std::FILE* out, PlotFormat format, const PlotSeries& series);

// --plot: the figure of one run (mean and one standard deviation) or of an ensemble (median
// and 10-90 % across runs), in the format the file's name asks for.
std::unique_ptr<WorldOutput> MakeWorldFigure(const std::string& path,
                                             const std::vector<OutputFile*>& files);
std::unique_ptr<EnsembleOutput> MakeEnsembleFigure(const std::string& path,
                                                   const std::vector<OutputFile*>& files);

} // namespace morvane::lab
