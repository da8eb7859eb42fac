// The figure of a run or an ensemble as a PNG or SVG file: the populations over time above,
// the animals' mean speed and mean turning rate below.
#pragma once

#include <cstdio>
#include <string>

#include "lab/plot_series.h"

namespace morvane::lab {

enum class PlotFormat { Png, Svg };

inline constexpr int PlotWidth = 960; // pixels of the PNG, points of the SVG
inline constexpr int PlotHeight = 810;

// The format a file name asks for by its extension, .png or .svg in any case; any other
// name throws LabError.
PlotFormat PlotFormatOf(const std::string& path);

// Draws `series` and writes it to `out`; throws LabError when cairo reports a failure.
void WritePlot(std::FILE* out, PlotFormat format, const PlotSeries& series);

} // namespace morvane::lab
