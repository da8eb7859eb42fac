// libpng reports failures by longjmp; everything that needs freeing is freed before it can jump.
#include "lab/outputs/png_image.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "lab/command/lab_error.h"

namespace morvane::lab {

namespace {

// libpng's own handlers print to stderr; the lab reports a failure in its one line instead.
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

} // namespace

void WritePng(std::FILE* out, const Canvas& canvas)
{
    const int width = canvas.Width();
    const int height = canvas.Height();
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = canvas.At(x, y);
            png_byte* px = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            px[0] = static_cast<png_byte>(RedOf(c));
            px[1] = static_cast<png_byte>(GreenOf(c));
            px[2] = static_cast<png_byte>(BlueOf(c));
        }
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = &rgb[static_cast<std::size_t>(y) * width * 3];

    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    if (!png) throw LabError("PNG writer could not be created");
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw LabError("PNG image could not be written");
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

namespace {

class PicturesOutput : public WorldOutput {
public:
    PicturesOutput(OutputFile& space, OutputFile& graph) : space_(space), graph_(graph) {}
    bool NeedsCanvases() const override { return true; }
    void Finish(const RunState& run) override
    {
        WritePng(space_.Stream(), run.space);
        WritePng(graph_.Stream(), run.graph);
    }

private:
    OutputFile& space_;
    OutputFile& graph_;
};

} // namespace

std::vector<std::string> PictureFiles(const std::string& prefix)
{
    return {prefix + "-space.png", prefix + "-graph.png"};
}

std::unique_ptr<WorldOutput> MakePicturesOutput(const std::string& /*prefix*/,
                                                const std::vector<OutputFile*>& files)
{
    return std::make_unique<PicturesOutput>(*files.at(0), *files.at(1));
}

} // namespace morvane::lab
