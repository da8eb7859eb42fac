// --plot: a PNG or SVG figure whose traces are drawn in the window's colours, and axes whose
// ticks fall on round values with readable labels.
#include <gtest/gtest.h>

#include <png.h>

#include "lab/plot_axis.h"
#include "lab/plot_file.h"
#include "lab_test_support.h"
#include "png_decoding.h"

namespace morvane::labtest {
namespace {

struct Decoded {
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;
    int Count(int r, int g, int b, int slack) const
    {
        int n = 0;
        for (std::size_t k = 0; k + 2 < rgb.size(); k += 3)
            n += std::abs(rgb[k] - r) <= slack && std::abs(rgb[k + 1] - g) <= slack &&
                 std::abs(rgb[k + 2] - b) <= slack;
        return n;
    }
};

Decoded DecodePng(const std::string& bytes) { return DecodePngAs<Decoded>(bytes); }

TEST(LabPlot, APngFigureShowsPlantsInGreenAndAnimalsInOrangeRedOnWhite)
{
    for (const std::vector<std::string>& runs :
         {std::vector<std::string>{}, std::vector<std::string>{"--runs", "3"}}) {
        SCOPED_TRACE(runs.empty() ? "one run" : "three runs");
        ScratchFolder folder;
        std::vector<std::string> args = {"--ticks", "1500", "--seed", "3", "--plot", "f.PNG"};
        args.insert(args.end(), runs.begin(), runs.end());
        const LabResult run = RunLabBinary(folder, args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Decoded png = DecodePng(ReadFile(folder.Work() / "f.PNG"));
        ASSERT_EQ(png.width, static_cast<png_uint_32>(lab::PlotWidth));
        ASSERT_EQ(png.height, static_cast<png_uint_32>(lab::PlotHeight));
        const int pixels = lab::PlotWidth * lab::PlotHeight;
        EXPECT_GT(png.Count(255, 255, 255, 0), pixels / 2) << "the background is white";
        EXPECT_GT(png.Count(0, 184, 0, 12), 200) << "plants are drawn green";
        EXPECT_GT(png.Count(255, 50, 0, 12), 200) << "animals are drawn orange-red";
        EXPECT_GT(png.Count(0, 0, 0, 40), 2000) << "axes, ticks and numbers are drawn black";
    }
}

TEST(LabPlot, AnSvgFigureIsAVectorDrawingOfTheSameSize)
{
    ScratchFolder folder;
    const LabResult run = RunLabBinary(folder, {"--ticks", "2000", "--plot", "f.Svg"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string svg = ReadFile(folder.Work() / "f.Svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("width=\"" + std::to_string(lab::PlotWidth) + "pt\""), std::string::npos);
    EXPECT_NE(svg.find("height=\"" + std::to_string(lab::PlotHeight) + "pt\""), std::string::npos);
    EXPECT_NE(svg.find("rgb(100%,19.607843%,0%)"), std::string::npos) << "no orange-red trace";
    EXPECT_NE(svg.find("rgb(0%,72%,0%)"), std::string::npos) << "no green trace";
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST(LabPlot, TheFormatComesFromTheExtensionInAnyCase)
{
    EXPECT_EQ(lab::PlotFormatOf("a.png"), lab::PlotFormat::Png);
    EXPECT_EQ(lab::PlotFormatOf("dir.svg/a.PnG"), lab::PlotFormat::Png);
    EXPECT_EQ(lab::PlotFormatOf("a.SVG"), lab::PlotFormat::Svg);
    for (const char* refused : {"a.jpg", "a", "png", "a.png/b", "a.png.txt", ".svg/x", "a."})
        EXPECT_THROW(lab::PlotFormatOf(refused), std::runtime_error) << refused;
}

TEST(LabPlot, AxesTickAtRoundValuesAndLabelThemPlainly)
{
    const lab::Axis counts = lab::MakeAxis(0, 501, 5, true);
    EXPECT_EQ(counts.ticks, (std::vector<double>{0, 200, 400, 600}));
    EXPECT_EQ(counts.high, 600);
    const lab::Axis time = lab::MakeAxis(0, 200000, 7, false);
    EXPECT_EQ(time.step, 50000);
    EXPECT_EQ(time.ticks, (std::vector<double>{0, 50000, 100000, 150000, 200000}));
    const lab::Axis partial = lab::MakeAxis(0, 2500, 7, false);
    EXPECT_EQ(partial.high, 2500) << "the time axis ends at the last tick";
    EXPECT_EQ(partial.ticks.back(), 2500);
    const lab::Axis speed = lab::MakeAxis(-0.37, 2.61, 5, true);
    EXPECT_EQ(speed.step, 1);
    EXPECT_EQ(speed.ticks, (std::vector<double>{-1, 0, 1, 2, 3}));
    const lab::Axis flat = lab::MakeAxis(0.5, 0.5, 5, true); // one value: widened around it
    EXPECT_LT(flat.low, 0.5);
    EXPECT_GT(flat.high, 0.5);
    EXPECT_GE(flat.ticks.size(), 2u);

    EXPECT_EQ(lab::TickLabel(200000, 50000), "200,000");
    EXPECT_EQ(lab::TickLabel(1234567, 1), "1,234,567");
    EXPECT_EQ(lab::TickLabel(0.5, 0.5), "0.5");
    EXPECT_EQ(lab::TickLabel(0.3000000000000001, 0.1), "0.3");
    EXPECT_EQ(lab::TickLabel(-1e-17, 0.05), "0.00");
    EXPECT_EQ(lab::TickLabel(-1.5, 0.5), "\xe2\x88\x92"
                                         "1.5");
    EXPECT_EQ(lab::GroupedDigits(18446744073709551615ull), "18,446,744,073,709,551,615");
}

} // namespace
} // namespace morvane::labtest
