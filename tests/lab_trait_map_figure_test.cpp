// The trait map: each moment's animals shaded where their speed and turn fall on axes shared by
// all panels, on one shading scale, and a whole figure whatever the moments hold.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "lab/lab_error.h"
#include "lab/trait_map_figure.h"
#include "png_decoding.h"

namespace morvane::labtest {
namespace {

using lab::PlotFormat;
using lab::TraitMap;
using lab::TraitMoment;

std::string Drawn(const TraitMap& map, PlotFormat format)
{
    std::FILE* file = std::tmpfile();
    std::string bytes;
    if (file == nullptr) return bytes; // every check of the figure then fails
    lab::WriteTraitMap(file, format, map);
    std::rewind(file);
    char chunk[65536];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, file))
        bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

struct Pixel {
    int x, y;
};

struct Centre {
    double x = 0, y = 0;
    int pixels = 0;
};

struct Decoded {
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;
    // The darkest shades of the density ramp, blue well above red and green and dim, looked
    // for in the top row of panels only: the colour key below shows the same shades.
    std::vector<Pixel> DarkBlue() const
    {
        std::vector<Pixel> found;
        for (std::size_t k = 0; k + 2 < rgb.size() / 2; k += 3)
            if (rgb[k + 2] >= rgb[k] + 60 && rgb[k + 2] >= rgb[k + 1] + 40 &&
                rgb[k] + rgb[k + 1] + rgb[k + 2] < 250)
                found.push_back({static_cast<int>(k / 3 % width), static_cast<int>(k / 3 / width)});
        return found;
    }
    // Pixels of the mean's mark, the window's orange-red, within 15 pixels of `(x, y)`.
    int OrangeRedNear(const Centre& place) const
    {
        int n = 0;
        for (int y = std::max(0, int(place.y) - 15); y <= std::min<int>(height - 1, place.y + 15);
             ++y)
            for (int x = std::max(0, int(place.x) - 15);
                 x <= std::min<int>(width - 1, place.x + 15); ++x) {
                const png_byte* px = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
                n += px[0] > 200 && px[1] < 100 && px[2] < 60;
            }
        return n;
    }
};

Decoded DecodePng(const std::string& bytes) { return DecodePngAs<Decoded>(bytes); }

TraitMoment Crowd(std::uint64_t tick, int animals, float speed, float turn)
{
    return {tick, std::vector<float>(animals, speed), std::vector<float>(animals, turn)};
}

// The centres of the dark pixels left and right of the widest gap across the figure: one
// crowd in each of two panels side by side.
std::pair<Centre, Centre> TwoCrowds(std::vector<Pixel> dark)
{
    std::sort(dark.begin(), dark.end(), [](Pixel a, Pixel b) { return a.x < b.x; });
    std::size_t split = 0;
    int widest = -1;
    for (std::size_t k = 1; k < dark.size(); ++k)
        if (dark[k].x - dark[k - 1].x > widest) widest = dark[k].x - dark[k - 1].x, split = k;
    Centre left, right;
    for (std::size_t k = 0; k < dark.size(); ++k) {
        Centre& c = k < split ? left : right;
        c.x += dark[k].x, c.y += dark[k].y, ++c.pixels;
    }
    for (Centre* c : {&left, &right})
        if (c->pixels > 0) c->x /= c->pixels, c->y /= c->pixels;
    return {left, right};
}

TEST(TraitMapFigure, ACrowdShowsDarkWhereItsTraitsFallOnAxesSharedByThePanels)
{
    // The same two crowds, slow and straight then fast and twisting, and the other way round.
    const TraitMoment slow = Crowd(0, 80, 0.5f, 0.4f), fast = Crowd(200000, 80, 2.5f, 1.4f);
    const TraitMoment fast_first = Crowd(0, 80, 2.5f, 1.4f),
                      slow_last = Crowd(200000, 80, 0.5f, 0.4f);
    const Decoded rising = DecodePng(Drawn({"rising", {slow, fast}, 1}, PlotFormat::Png));
    const Decoded falling =
        DecodePng(Drawn({"falling", {fast_first, slow_last}, 1}, PlotFormat::Png));
    ASSERT_EQ(rising.width, static_cast<png_uint_32>(lab::TraitMapWidth));
    ASSERT_EQ(rising.height, static_cast<png_uint_32>(lab::TraitMapHeight));
    int white = 0;
    for (std::size_t k = 0; k + 2 < rising.rgb.size(); k += 3)
        white += rising.rgb[k] == 255 && rising.rgb[k + 1] == 255 && rising.rgb[k + 2] == 255;
    EXPECT_GT(white, lab::TraitMapWidth * lab::TraitMapHeight / 2) << "the background is white";

    const auto [slow_panel, fast_panel] = TwoCrowds(rising.DarkBlue());
    const auto [fast_first_panel, slow_last_panel] = TwoCrowds(falling.DarkBlue());
    for (const auto& [png, c] : {std::pair{&rising, slow_panel},
                                 {&rising, fast_panel},
                                 {&falling, fast_first_panel},
                                 {&falling, slow_last_panel}}) {
        ASSERT_GT(c.pixels, 10) << "each crowd is shaded dark in its panel";
        EXPECT_GT(png->OrangeRedNear(c), 10) << "the mean is marked on the crowd";
    }
    EXPECT_GT(slow_panel.y, fast_panel.y + 100) << "a higher turn is drawn higher";
    EXPECT_LT(fast_first_panel.y, slow_last_panel.y - 100);
    // Panels keep their places, so the distance between the crowds changes by twice the way
    // from a speed of 0.5 to one of 2.5 across a panel.
    EXPECT_GT((fast_panel.x - slow_panel.x) - (slow_last_panel.x - fast_first_panel.x), 300)
        << "a higher speed is drawn further right";
}

TEST(TraitMapFigure, OneShadingScaleLetsAFewAnimalsLookLightBesideACrowd)
{
    const TraitMap map{"scale", {Crowd(0, 100, 1.0f, 1.0f), Crowd(1000, 1, 2.0f, 0.5f)}, 1};
    const Decoded png = DecodePng(Drawn(map, PlotFormat::Png));
    const std::vector<Pixel> dark = png.DarkBlue();
    ASSERT_GT(dark.size(), 10u);
    int most_left = dark[0].x, most_right = dark[0].x;
    for (const Pixel& p : dark)
        most_left = std::min(most_left, p.x), most_right = std::max(most_right, p.x);
    EXPECT_LT(most_right - most_left, 20) << "only the crowd's bin is dark, not the lone animal's";
    int light_blue_beyond = 0; // the lone animal, in the next panel of the top row
    for (std::size_t k = 0; k + 2 < png.rgb.size() / 2; k += 3)
        light_blue_beyond += static_cast<int>(k / 3 % png.width) > most_right + 100 &&
                             png.rgb[k + 2] >= png.rgb[k] + 20 && png.rgb[k] > 120;
    EXPECT_GT(light_blue_beyond, 8);
}

TEST(TraitMapFigure, AnSvgFigureIsAWholeDrawingNamedByItsTitle)
{
    const TraitMap map{"Morvane: speed & turn <of 3 runs>", {Crowd(5, 20, 1.5f, 0.7f)}, 3};
    const std::string svg = Drawn(map, PlotFormat::Svg);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("width=\"" + std::to_string(lab::TraitMapWidth) + "pt\""),
              std::string::npos);
    EXPECT_NE(svg.find("height=\"" + std::to_string(lab::TraitMapHeight) + "pt\""),
              std::string::npos);
    EXPECT_NE(svg.find("<title>Morvane: speed &amp; turn &lt;of 3 runs&gt;</title>"),
              std::string::npos);
    EXPECT_NE(svg.find("rgb(100%,19.607843%,0%)"), std::string::npos) << "no orange-red mean";
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST(TraitMapFigure, OddMomentsStillMakeAWholeFigure)
{
    // Every finite value alike, so the axes have no width to start from; beside the crowds,
    // animals that cannot be placed, a moment with none alive, a lone animal, tables of uneven
    // length, and more moments than there are panels.
    TraitMoment unplaceable = Crowd(7, 50, 1.2f, 0.9f);
    for (const float odd : {NAN, INFINITY, -INFINITY}) {
        unplaceable.speed.push_back(odd), unplaceable.turn.push_back(0.9f);
        unplaceable.speed.push_back(1.2f), unplaceable.turn.push_back(odd);
    }
    TraitMoment uneven = Crowd(9, 30, 1.2f, 0.9f);
    uneven.turn.resize(10); // only ten whole animals
    const TraitMoment none_finite{11, {NAN, INFINITY}, {0.5f, 0.5f}};
    const TraitMap alike{"alike",
                         {unplaceable, Crowd(8, 0, 0, 0), Crowd(9, 1, 1.2f, 0.9f), uneven,
                          none_finite, Crowd(12, 40, 1.2f, 0.9f), Crowd(13, 40, 1.2f, 0.9f)},
                         4};
    const Decoded png = DecodePng(Drawn(alike, PlotFormat::Png));
    EXPECT_EQ(png.width, static_cast<png_uint_32>(lab::TraitMapWidth));
    EXPECT_GT(png.DarkBlue().size(), 10u) << "the crowd is still shaded";

    const TraitMap extremes{
        "extremes", {{0, {-FLT_MAX, FLT_MAX, 1e-45f}, {FLT_MAX, -FLT_MAX, 0}}}, 1};
    for (const TraitMap& map : {TraitMap{"no moments", {}, 1}, extremes})
        EXPECT_NE(Drawn(map, PlotFormat::Svg).find("</svg>"), std::string::npos) << map.title;
}

// The stream keeps the failure, for its output file to report with its own name and the
// system's reason; a figure that could be drawn is not called undrawable.
TEST(TraitMapFigure, AFileThatCannotBeWrittenIsLeftFailedOnItsStream)
{
    const std::string path = ::testing::TempDir() + "trait_map_read_only.png";
    std::fclose(std::fopen(path.c_str(), "wb"));
    for (const PlotFormat format : {PlotFormat::Png, PlotFormat::Svg}) {
        std::FILE* read_only = std::fopen(path.c_str(), "rb");
        ASSERT_NE(read_only, nullptr);
        EXPECT_NO_THROW(lab::WriteTraitMap(read_only, format, {"title", {Crowd(0, 5, 1, 1)}, 1}));
        EXPECT_TRUE(std::fflush(read_only) != 0 || std::ferror(read_only))
            << "a write that failed went unreported";
        std::fclose(read_only);
    }
    std::remove(path.c_str());
}

} // namespace
} // namespace morvane::labtest
