// What the lab's figures share: the format a file name asks for, and drawing with cairo into a
// PNG or an SVG written to the output file.
#pragma once

#include <cairo.h>

#include <cstdio>
#include <functional>
#include <string>

namespace morvane::lab {

enum class PlotFormat { Png, Svg };

// The format a file name asks for by its extension, .png or .svg in any case; any other
// name throws LabError, naming `option`.
PlotFormat PlotFormatOf(const std::string& path, const char* option = "--plot");

// Draws a `width` x `height` figure with `draw` and writes it to `out` in `format`; an SVG is
// named by `title` (cairo writes its text as outlines). Throws LabError when cairo fails.
void WriteFigure(std::FILE* out, PlotFormat format, int width, int height, const std::string& title,
                 const std::function<void(cairo_t*)>& draw);

// A white page with `title` centred in bold at `baseline`, the text then set back to plain.
void StartPage(cairo_t* cr, int width, const std::string& title, double baseline);

} // namespace morvane::lab
