// morvane_soak: a long run of the world with a hand clicking now and then, every rule of
// world_checks.h checked after every release and every tick, and the process's memory
// watched: the world lives in fixed tables, so its memory must not grow with time.
//
// usage: morvane_soak [--ticks N] [--seed S] [--clicks-every K] [--report-every R]
// Exits 0 when every check held and the peak memory stayed within MemoryToleranceKb of its
// value after the first thousand ticks; 1 when memory grew; aborts on a broken rule.
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "checks/world_checks.h"
#include "display/canvas.h"
#include "sim/mouse_release.h"
#include "sim/scenes.h"
#include "sim/world_hash.h"

namespace {

using morvane::RandomSource;

constexpr long MemoryToleranceKb = 1024;
constexpr std::uint64_t CrowdEvery = 2'000'000; // ticks between crowds that fill both tables

struct Options {
    std::uint64_t ticks = 20'000'000;
    std::uint64_t seed = 0;
    bool seeded = false;
    std::uint64_t clicks_every = 997; // prime, so the clicks drift across the graph's sweep
    std::uint64_t report_every = 1'000'000;
};

[[noreturn]] void Usage(const char* complaint)
{
    std::fprintf(stderr,
                 "morvane_soak: %s\nusage: morvane_soak [--ticks N] [--seed S] "
                 "[--clicks-every K] [--report-every R]\n",
                 complaint);
    std::exit(2);
}

std::uint64_t Count(const char* text, bool zero_allowed)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || errno != 0 || (!zero_allowed && value == 0))
        Usage("a count must be a whole number");
    return value;
}

Options Parse(int argc, char** argv)
{
    Options options;
    for (int k = 1; k < argc; k += 2) {
        if (k + 1 >= argc) Usage("an option lacks its value");
        const std::string name = argv[k];
        if (name == "--ticks")
            options.ticks = Count(argv[k + 1], true);
        else if (name == "--seed")
            options.seed = Count(argv[k + 1], true), options.seeded = true;
        else if (name == "--clicks-every")
            options.clicks_every = Count(argv[k + 1], false);
        else if (name == "--report-every")
            options.report_every = Count(argv[k + 1], false);
        else
            Usage("unknown option");
    }
    return options;
}

// VmRSS or VmHWM of this process in kB, from /proc.
long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    const std::size_t length = std::strlen(key);
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, length, key) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

// The hand that clicks: a random source of its own, so the world's draws are the world's.
class Hand {
public:
    explicit Hand(std::uint64_t seed) : random_(seed, 7) {}

    // Mostly what a person does (left and right inside the world, other buttons now and
    // then), some releases dragged off the world, a few at coordinates no window delivers.
    void Clicks(morvane::World& world, RandomSource& world_random)
    {
        const int count = 1 + random_.Below(4);
        for (int k = 0; k < count; ++k) {
            using morvane::LeftButton, morvane::RightButton, morvane::MiddleButton,
                morvane::X1Button, morvane::NoButton;
            static constexpr std::int16_t buttons[] = {LeftButton,   LeftButton,  LeftButton,
                                                       RightButton,  RightButton, RightButton,
                                                       MiddleButton, X1Button,    NoButton};
            const std::int16_t button = buttons[random_.Below(9)];
            const int kind = random_.Below(100);
            float x, y;
            if (kind < 70) {
                x = Inside(morvane::WorldMaxX), y = Inside(morvane::WorldMaxY);
            } else if (kind < 90) {
                x = Offside(morvane::WorldMaxX), y = Offside(morvane::WorldMaxY);
            } else {
                x = Wild(), y = Wild();
            }
            Release(world, world_random, button, x, y);
        }
    }

    // Enough newcomers to fill both tables, wherever they find room.
    void Crowd(morvane::World& world, RandomSource& world_random)
    {
        for (int k = 0; k < morvane::AnimalSlots + 10; ++k)
            Release(world, world_random, morvane::LeftButton, Inside(morvane::WorldMaxX),
                    Inside(morvane::WorldMaxY));
        for (int k = 0; k < morvane::PlantSlots + 10; ++k)
            Release(world, world_random, morvane::RightButton, Inside(morvane::WorldMaxX),
                    Inside(morvane::WorldMaxY));
    }

private:
    static void Release(morvane::World& world, RandomSource& world_random, std::int16_t button,
                        float x, float y)
    {
        if (auto breach = morvane::fuzz::ReleaseAndCheck(world, world_random, button, 0, x, y))
            morvane::fuzz::Abort(*breach, "in the soak run's clicks");
    }

    // A whole pixel as the window gives, a half (a rounding tie) or any fraction.
    float Inside(int extent)
    {
        const float whole = static_cast<float>(random_.Below(extent + 1));
        switch (random_.Below(3)) {
        case 0:
            return whole;
        case 1:
            return whole + 0.5f;
        default:
            return whole + random_.Uniform();
        }
    }

    float Offside(int extent) { return static_cast<float>(random_.Below(extent + 101) - 50); }

    float Wild()
    {
        static constexpr float values[] = {-1e6f,
                                           1e6f,
                                           32767.5f,
                                           -32768.5f,
                                           32766.5f,
                                           -0.0f,
                                           3e38f,
                                           -3e38f,
                                           std::numeric_limits<float>::denorm_min(),
                                           std::numeric_limits<float>::infinity(),
                                           -std::numeric_limits<float>::infinity(),
                                           std::numeric_limits<float>::quiet_NaN()};
        return values[random_.Below(static_cast<int>(std::size(values)))];
    }

    RandomSource random_;
};

void Report(std::uint64_t ticks, double seconds, const morvane::World& world)
{
    std::printf("%12" PRIu64 " ticks %9.1f s %8.0f ticks/s  animals %3d plants %3d  "
                "VmRSS %6ld kB VmHWM %6ld kB\n",
                ticks, seconds, seconds > 0 ? ticks / seconds : 0.0, morvane::LivingAnimals(world),
                morvane::LivingPlants(world), StatusKb("VmRSS"), StatusKb("VmHWM"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = Parse(argc, argv);
    morvane::Scene scene = morvane::FreshScene();
    if (options.seeded) scene.random = RandomSource::FromSeed(options.seed);
    morvane::Canvas space = morvane::Canvas::Space();
    morvane::Canvas graph = morvane::Canvas::Graph();
    Hand hand(options.seed ^ 0x5eed);

    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    Report(0, 0, scene.world);
    long peak_at_start = -1;
    for (std::uint64_t t = 1; t <= options.ticks; ++t) {
        if (t % options.clicks_every == 0) hand.Clicks(scene.world, scene.random);
        if (t % CrowdEvery == 0) hand.Crowd(scene.world, scene.random);
        if (auto breach = morvane::fuzz::TickAndCheck(scene.world, scene.random, space, graph)) {
            char context[64];
            std::snprintf(context, sizeof context, "at tick %" PRIu64, t);
            morvane::fuzz::Abort(*breach, context);
        }
        if (t == 1000) peak_at_start = StatusKb("VmHWM");
        if (t % options.report_every == 0) Report(t, elapsed(), scene.world);
    }
    const long peak_at_end = StatusKb("VmHWM");
    std::printf("%" PRIu64 " ticks in %.1f s, every check held; world hash %016" PRIx64 "\n",
                options.ticks, elapsed(), morvane::HashWorld(scene.world));
    std::printf("peak memory (VmHWM) after 1,000 ticks %ld kB, at the end %ld kB\n", peak_at_start,
                peak_at_end);
    if (peak_at_start >= 0 && peak_at_end > peak_at_start + MemoryToleranceKb) {
        std::printf("memory grew by more than %ld kB\n", MemoryToleranceKb);
        return 1;
    }
    return 0;
}
