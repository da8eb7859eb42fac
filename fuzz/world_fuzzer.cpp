// libFuzzer target: a script of mouse releases and ticks played on a world, with the rules of
// world_checks.h checked after every release and every tick. A second copy of the world, with
// its own random source and canvases, is stepped by the plain reference tick through the same
// script, and the two must agree in every bit after every release and every tick.
//
// The input, read front to back (missing bytes read as 0):
//   byte 0     the start: low two bits 1 = the populated scene (24,800 quiet ticks), 2 = both
//              tables full, else the fresh world; bit 2 set = the next 8 bytes are a seed for
//              the random source, else the scene's own source continues; bit 3 set = the next
//              8 bytes (after the seed's) seed a draw of other rules (checks/rule_draws.h),
//              under which the world then runs, else the window's rules
//   then records, each led by a byte whose low two bits say what it is:
//     0  ticks    1 byte n: run n + 1 ticks
//     1  release  button, shift (1 byte each), x, y (4 bytes each, any float bit pattern)
//     2  burst    button, n (1 byte each), x0, y0, dx, dy (floats): n + 1 releases at
//                 (x0 + k dx, y0 + k dy), k = 0..n, added up in float as written
//     3  pixel    button, x, y (4 bytes each, signed, in 1/256 pixel): finite, fractional,
//                 exact halves for the ties
//   A button byte's low two bits: 0 left, 1 right, 2 the window's middle code (4), 3 the whole
//   byte as a signed code (any other button the window could pass on).
//
// Coordinates are taken as any float, NaN and infinities included. The window delivers only
// whole pixels and the lab refuses what is not finite, but space_MouseUp is the core's own
// door and its conversions are meant to be defined for every float (RoundToInt16 names NaN);
// so the fuzzer holds the core to that for every value a float can take.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "checks/first_difference.h"
#include "checks/reference_tick.h"
#include "checks/rule_draws.h"
#include "checks/world_checks.h"
#include "display/canvas.h"
#include "fuzz/byte_reader.h"
#include "sim/mouse_release.h"
#include "sim/scenes.h"

namespace {

using morvane::fuzz::ByteReader;

// Enough for births, deaths and a wrap of the graph's sweep, few enough that an input runs in
// about a tenth of a second with the sanitizers and the coverage counters (some 250 us a tick).
constexpr int MaxTicksPerInput = 500;

// The sweep counter wraps every 4,961 ticks, so after 24,800 it stands at 4,956: the populated
// scene's sweep wraps in its fifth tick.
constexpr int PopulatedTicks = 24800;

// Computed once, before the first input, and only read after: every input starts from an
// untouched copy.
const morvane::Scene& Populated()
{
    static const morvane::Scene scene = morvane::PopulatedScene(PopulatedTicks);
    return scene;
}

morvane::Scene StartingScene(std::uint8_t start)
{
    switch (start & 3u) {
    case 1:
        return Populated();
    case 2:
        return morvane::FullTablesScene();
    default:
        return morvane::FreshScene();
    }
}

std::int16_t Button(std::uint8_t code)
{
    switch (code & 3u) {
    case 0:
        return morvane::LeftButton;
    case 1:
        return morvane::RightButton;
    case 2:
        return morvane::MiddleButton;
    default:
        return static_cast<std::int8_t>(code);
    }
}

float FixedPoint(ByteReader& in)
{
    return static_cast<float>(static_cast<std::int32_t>(in.Bits(4))) / 256.0f;
}

class Script {
public:
    explicit Script(ByteReader& in) : in_(in)
    {
        const std::uint8_t start = in_.Byte();
        scene_ = StartingScene(start);
        if (start & 4u) scene_.random = morvane::RandomSource::FromSeed(in_.Bits(8));
        if (start & 8u) {
            morvane::RandomSource draws = morvane::RandomSource::FromSeed(in_.Bits(8));
            scene_.rules = morvane::DrawRules(draws);
        }
        reference_ = scene_;
    }

    void Play()
    {
        while (!in_.AtEnd() && ticks_ < MaxTicksPerInput) {
            switch (in_.Byte() & 3u) {
            case 0:
                Ticks(in_.Byte() + 1);
                break;
            case 1: {
                const std::int16_t button = Button(in_.Byte());
                const std::int16_t shift = in_.Byte();
                const float x = in_.Float();
                Release(button, shift, x, in_.Float());
                break;
            }
            case 2: {
                const std::int16_t button = Button(in_.Byte());
                const int count = in_.Byte() + 1;
                const float x0 = in_.Float(), y0 = in_.Float();
                const float dx = in_.Float(), dy = in_.Float();
                float x = x0, y = y0;
                for (int k = 0; k < count; ++k, x += dx, y += dy)
                    Release(button, 0, x, y);
                break;
            }
            default: {
                const std::int16_t button = Button(in_.Byte());
                const float x = FixedPoint(in_);
                Release(button, 0, x, FixedPoint(in_));
                break;
            }
            }
        }
    }

private:
    void Ticks(int count)
    {
        for (int k = 0; k < count && ticks_ < MaxTicksPerInput; ++k, ++ticks_) {
            std::snprintf(context_, sizeof context_, "after tick %d of the input", ticks_ + 1);
            if (auto breach = morvane::fuzz::TickAndCheck(scene_.world, scene_.random, space_,
                                                          graph_, scene_.rules))
                morvane::fuzz::Abort(*breach, context_);
            morvane::reference::RunTick(reference_.world, reference_.random, reference_.rules,
                                        reference_space_, reference_graph_);
            Agree(morvane::reference::FirstDifference(
                {scene_.world, scene_.random, space_, graph_},
                {reference_.world, reference_.random, reference_space_, reference_graph_}));
        }
    }

    void Release(std::int16_t button, std::int16_t shift, float x, float y)
    {
        std::snprintf(context_, sizeof context_,
                      "releasing button %d at (%a, %a) after %d ticks of the input", button, x, y,
                      ticks_);
        if (auto breach = morvane::fuzz::ReleaseAndCheck(scene_.world, scene_.random, button, shift,
                                                         x, y, scene_.rules))
            morvane::fuzz::Abort(*breach, context_);
        morvane::reference::space_MouseUp(reference_.world, reference_.random, reference_.rules,
                                          button, shift, x, y);
        Agree(morvane::reference::FirstDifference(scene_.world, scene_.random, reference_.world,
                                                  reference_.random));
    }

    // Aborts, so the fuzzer keeps the input, when the core and the reference have parted.
    void Agree(const std::optional<std::string>& difference) const
    {
        if (!difference) return;
        std::fprintf(stderr, "the core and the reference part %s, at %s\n", context_,
                     difference->c_str());
        std::abort();
    }

    ByteReader& in_;
    morvane::Scene scene_;
    morvane::Canvas space_ = morvane::Canvas::Space();
    morvane::Canvas graph_ = morvane::Canvas::Graph();
    morvane::Scene reference_; // the same start, stepped by the reference
    morvane::Canvas reference_space_ = morvane::Canvas::Space();
    morvane::Canvas reference_graph_ = morvane::Canvas::Graph();
    int ticks_ = 0;
    char context_[160] = {};
};

} // namespace

// The populated scene takes some seconds to make; made before the first input, it counts
// against no input's time limit.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    Populated();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    Script script(in);
    script.Play();
    return 0;
}
