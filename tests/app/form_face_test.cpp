// The window's face and the copying of canvases into the window's pixels, as both front ends
// use them: sunken edges in the right shades and places, colours in the window's byte order,
// and a tick that sends only what it changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/form_face.h"
#include "app/form_layout.h"
#include "display/canvas.h"

namespace morvane::app {
namespace {

constexpr std::uint32_t Untouched = 0xdeadbeefu;

struct Buffer {
    int width, height;
    std::vector<std::uint32_t> pixels;

    Buffer(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, Untouched)
    {
    }
    XrgbArea Area() { return {pixels.data(), width}; }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    void Reset() { pixels.assign(pixels.size(), Untouched); }
    int CountUntouched() const
    {
        int n = 0;
        for (std::uint32_t p : pixels)
            n += p == Untouched;
        return n;
    }
};

TEST(FormFace, CoversTheWholeClientAreaWithTheDialogFace)
{
    Buffer client(ClientWidth, ClientHeight);
    PaintFace(client.Area());
    EXPECT_EQ(client.CountUntouched(), 0);
    EXPECT_EQ(client.At(3, 3), ToXrgb(Face));
    EXPECT_EQ(client.At(ClientWidth - 1, ClientHeight - 1), ToXrgb(Face));
    // Inside the edge the face stays until a canvas is copied over it.
    EXPECT_EQ(client.At(SpaceArea.left, SpaceArea.top), ToXrgb(Face));
}

TEST(FormFace, EachCanvasSitsInASunkenEdgeTwoPixelsWide)
{
    Buffer client(ClientWidth, ClientHeight);
    PaintFace(client.Area());
    for (const Rect outer : {SpaceOuter, GraphOuter}) {
        const int left = outer.left, top = outer.top;
        const int right = outer.left + outer.width - 1, bottom = outer.top + outer.height - 1;
        const int mid_x = left + outer.width / 2, mid_y = top + outer.height / 2;
        // Shadow over dark shadow at the top and left: the light falls from the top left.
        EXPECT_EQ(client.At(mid_x, top), ToXrgb(Shadow));
        EXPECT_EQ(client.At(mid_x, top + 1), ToXrgb(DarkShadow));
        EXPECT_EQ(client.At(left, mid_y), ToXrgb(Shadow));
        EXPECT_EQ(client.At(left + 1, mid_y), ToXrgb(DarkShadow));
        // Highlight outside light at the bottom and right.
        EXPECT_EQ(client.At(mid_x, bottom), ToXrgb(Highlight));
        EXPECT_EQ(client.At(mid_x, bottom - 1), ToXrgb(Light));
        EXPECT_EQ(client.At(right, mid_y), ToXrgb(Highlight));
        EXPECT_EQ(client.At(right - 1, mid_y), ToXrgb(Light));
        // The bottom and right take the far corners; the top and left keep their own.
        EXPECT_EQ(client.At(left, top), ToXrgb(Shadow));
        EXPECT_EQ(client.At(right, top), ToXrgb(Highlight));
        EXPECT_EQ(client.At(left, bottom), ToXrgb(Highlight));
        // Two pixels wide: face just outside, the canvas's own pixels from the third in.
        EXPECT_EQ(client.At(left - 1, mid_y), ToXrgb(Face));
        EXPECT_EQ(client.At(right + 1, mid_y), ToXrgb(Face));
        EXPECT_EQ(client.At(mid_x, top - 1), ToXrgb(Face));
        EXPECT_EQ(client.At(mid_x, bottom + 1), ToXrgb(Face));
        EXPECT_EQ(client.At(left + 2, mid_y), ToXrgb(Face));
        EXPECT_EQ(client.At(right - 2, mid_y), ToXrgb(Face));
    }
}

TEST(FormFace, WindowPixelsKeepRedHighAndBlueLow)
{
    EXPECT_EQ(ToXrgb(Rgb(255, 50, 0)), 0xff3200u); // an animal
    EXPECT_EQ(ToXrgb(Rgb(0, 200, 0)), 0x00c800u);  // a plant
    EXPECT_EQ(ToXrgb(Rgb(1, 2, 3)), 0x010203u);
    EXPECT_EQ(ToXrgb(Shade{1, 2, 3}), 0x010203u);
}

// A canvas 13 pixels wide (not a whole number of the copy's blocks of eight) inside a buffer
// with 4 pixels more to each row.
class ShownCanvasTest : public ::testing::Test {
protected:
    Canvas canvas{13, 4};
    Buffer target{17, 4};
    ShownCanvas shown;

    std::uint32_t Shown(int x, int y) const { return target.At(x, y); }
};

TEST_F(ShownCanvasTest, TheFirstShowCopiesEveryPixelAndNothingBesideIt)
{
    canvas.PSet(0, 0, Rgb(255, 50, 0));
    canvas.PSet(12, 3, Rgb(0, 200, 0));
    const Rect all = shown.Show(canvas, target.Area());
    EXPECT_EQ(all.left, 0);
    EXPECT_EQ(all.top, 0);
    EXPECT_EQ(all.width, 13);
    EXPECT_EQ(all.height, 4);
    EXPECT_EQ(Shown(0, 0), 0xff3200u);
    EXPECT_EQ(Shown(12, 3), 0x00c800u);
    EXPECT_EQ(Shown(5, 2), 0u);
    for (int y = 0; y < 4; ++y)
        for (int x = 13; x < 17; ++x)
            EXPECT_EQ(Shown(x, y), Untouched) << x << "," << y;
}

TEST_F(ShownCanvasTest, ATickSendsOnlyThePixelsItChangedAndTheRectangleRoundThem)
{
    shown.Show(canvas, target.Area());
    target.Reset();
    EXPECT_EQ(shown.Show(canvas, target.Area()).width, 0);
    EXPECT_EQ(target.CountUntouched(), 17 * 4);

    canvas.PSet(3, 1, Rgb(255, 50, 0));
    canvas.PSet(12, 2, Rgb(0, 155, 0)); // in the last, short block of the row
    const Rect changed = shown.Show(canvas, target.Area());
    EXPECT_EQ(changed.left, 3);
    EXPECT_EQ(changed.top, 1);
    EXPECT_EQ(changed.width, 10);
    EXPECT_EQ(changed.height, 2);
    EXPECT_EQ(Shown(3, 1), 0xff3200u);
    EXPECT_EQ(Shown(12, 2), 0x009b00u);
    EXPECT_EQ(target.CountUntouched(), 17 * 4 - 2);

    // Erased again (as a dot is before it moves): the black is sent too.
    canvas.PSet(3, 1, Black);
    target.Reset();
    const Rect erased = shown.Show(canvas, target.Area());
    EXPECT_EQ(erased.width, 1);
    EXPECT_EQ(erased.height, 1);
    EXPECT_EQ(Shown(3, 1), 0u);
}

TEST_F(ShownCanvasTest, AfterForgettingOrRememberingTheWindowStartsAfresh)
{
    canvas.PSet(6, 0, Rgb(255, 50, 0));
    shown.Show(canvas, target.Area());
    target.Reset();
    shown.Forget(); // the window lost its pixels
    EXPECT_EQ(shown.Show(canvas, target.Area()).width, 13);
    EXPECT_EQ(Shown(6, 0), 0xff3200u);
    EXPECT_EQ(target.CountUntouched(), 4 * 4);

    // Copied by other means: nothing is left to send until the canvas changes.
    canvas.PSet(7, 0, Rgb(255, 50, 0));
    shown.Remember(canvas);
    EXPECT_EQ(shown.Show(canvas, target.Area()).width, 0);
}

} // namespace
} // namespace morvane::app
