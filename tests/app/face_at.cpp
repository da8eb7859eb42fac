// face_at FIRST LAST: the window's face, as every front end paints it, after each of FIRST ..
// LAST ticks of the window's own world, one line "<ticks> <crc>" each, the crc being zlib's
// CRC-32 of the face's red, green and blue bytes, row by row. A screenshot of any front end's
// client area, hashed the same way, names the tick it shows; a face that matches no tick near
// the one expected was drawn some other way.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/form_face.h"
#include "app/form_layout.h"
#include "sim/run_book.h"
#include "sim/world_run.h"

namespace {

using morvane::app::ClientHeight;
using morvane::app::ClientWidth;

std::uint64_t TicksArgument(const char* text)
{
    char* end = nullptr;
    const unsigned long long ticks = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || ticks > 100'000'000) {
        std::fprintf(stderr, "face_at: '%s' is not a number of ticks up to 100000000\n", text);
        std::exit(2);
    }
    return ticks;
}

void ShowOn(std::vector<std::uint32_t>& face, const morvane::Canvas& canvas,
            morvane::app::Rect area, morvane::app::ShownCanvas& shown)
{
    shown.Show(canvas, {face.data() + static_cast<std::size_t>(area.top) * ClientWidth + area.left,
                        ClientWidth});
}

unsigned long Crc(const std::vector<std::uint32_t>& face)
{
    std::vector<unsigned char> rgb;
    rgb.reserve(face.size() * 3);
    for (std::uint32_t xrgb : face) {
        rgb.push_back(static_cast<unsigned char>(xrgb >> 16));
        rgb.push_back(static_cast<unsigned char>(xrgb >> 8));
        rgb.push_back(static_cast<unsigned char>(xrgb));
    }
    return crc32(crc32(0, nullptr, 0), rgb.data(), static_cast<uInt>(rgb.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: face_at FIRST LAST\n");
        return 2;
    }
    const std::uint64_t first = TicksArgument(argv[1]), last = TicksArgument(argv[2]);
    if (last < first) {
        std::fprintf(stderr, "face_at: LAST comes before FIRST\n");
        return 2;
    }
    morvane::WorldRun run = morvane::WorldRun::Fresh(std::nullopt);
    std::vector<std::uint32_t> face(static_cast<std::size_t>(ClientWidth) * ClientHeight);
    morvane::app::PaintFace({face.data(), ClientWidth});
    morvane::app::ShownCanvas space_shown, graph_shown;
    run.Step(first);
    for (std::uint64_t ticks = first;; ++ticks) {
        ShowOn(face, run.State().space, morvane::app::SpaceArea, space_shown);
        ShowOn(face, run.State().graph, morvane::app::GraphArea, graph_shown);
        std::printf("%llu %08lx\n", static_cast<unsigned long long>(ticks), Crc(face));
        if (ticks == last) break;
        run.Step(1);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
