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

// `text` at (x, y) in a font of `font_size`, turned by `angle`: `align_x` 0, 0.5 or 1 puts x
// at its start, middle or end, `align_y` 0, 0.5 or 1 puts y at its top, middle or foot.
void ShowText(cairo_t* cr, const std::string& text, double x, double y, double align_x,
              double align_y, double angle, double font_size);

// A white page with `title` centred in bold at `baseline`, the text then set back to plain.
void StartPage(cairo_t* cr, int width, const std::string& title, double baseline);

} // namespace morvane::lab
