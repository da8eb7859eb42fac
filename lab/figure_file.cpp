// Cairo draws the same figure on an image surface for PNG and on an SVG surface; the SVG is
// kept whole until drawn, so that its title can go in before it is written.
#include "lab/figure_file.h"

#include <cairo-svg.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

#include "lab/lab_error.h"

namespace morvane::lab {

namespace {

cairo_status_t WriteTo(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, out) == length ? CAIRO_STATUS_SUCCESS
                                                       : CAIRO_STATUS_WRITE_ERROR;
}

cairo_status_t AppendTo(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// A <title> gives the drawing a name that viewers show and that a search through files finds.
std::string Titled(std::string svg, const std::string& title)
{
    const std::size_t open = svg.find("<svg");
    const std::size_t end = open == std::string::npos ? open : svg.find('>', open);
    if (end == std::string::npos) return svg;
    std::string escaped = "<title>";
    for (char c : title)
        escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    escaped += "</title>\n";
    return svg.insert(end + 1, "\n" + escaped);
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

void WriteFigure(std::FILE* out, PlotFormat format, int width, int height, const std::string& title,
                 const std::function<void(cairo_t*)>& draw)
{
    // Cairo and fontconfig keep their font caches until the process ends, which the leak
    // checker of the sanitizer builds reports as leaks; the lab draws its figures at the very
    // end of its work, so they are handed back once one is drawn (the next would rebuild them).
    struct FontCachesReleased {
        ~FontCachesReleased()
        {
            cairo_debug_reset_static_data();
            FcFini();
        }
    } release;
    std::string svg;
    cairo_surface_t* surface =
        format == PlotFormat::Svg
            ? cairo_svg_surface_create_for_stream(AppendTo, &svg, width, height)
            : cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    draw(cr);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS && format == PlotFormat::Png)
        status = cairo_surface_write_to_png_stream(surface, WriteTo, out);
    cairo_surface_finish(surface); // an SVG is completed here
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status == CAIRO_STATUS_SUCCESS && format == PlotFormat::Svg) {
        svg = Titled(std::move(svg), title);
        if (std::fwrite(svg.data(), 1, svg.size(), out) != svg.size())
            status = CAIRO_STATUS_WRITE_ERROR;
    }
    // A failed write is the output file's to report, with its name and the system's reason,
    // when it is completed.
    if (status != CAIRO_STATUS_SUCCESS && status != CAIRO_STATUS_WRITE_ERROR)
        throw LabError(std::string("figure could not be drawn: ") + cairo_status_to_string(status));
}

void ShowText(cairo_t* cr, const std::string& text, double x, double y, double align_x,
              double align_y, double angle, double font_size)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, -extents.x_advance * align_x, font_size * 0.36 - font_size * (align_y - 0.5));
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

void StartPage(cairo_t* cr, int width, const std::string& title, double baseline)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 16);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_text_extents_t e;
    cairo_text_extents(cr, title.c_str(), &e);
    cairo_move_to(cr, (width - e.x_advance) / 2, baseline);
    cairo_show_text(cr, title.c_str());
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

} // namespace morvane::lab
