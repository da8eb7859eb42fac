// world_run SEED TICKS [N BUTTON X Y]...: runs a fresh world from SEED for TICKS ticks with the
// given mouse releases (after N ticks, BUTTON left, right or middle, at world pixel X, Y),
// and prints "<ticks> <hash>" after 1, 10, 100, ... ticks and at the end, as morvane-lab's
// --hash gives the hash of a run of that many ticks with the same releases. Built for Windows
// and run under Wine, it shows whether the Windows build's world is the Linux one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/canvas.h"
#include "sim/mouse_release.h"
#include "sim/random_source.h"
#include "sim/tick.h"
#include "sim/world.h"
#include "sim/world_hash.h"

namespace {

struct Release {
    std::uint64_t after_ticks;
    std::int16_t button;
    float x, y;
};

std::int16_t ButtonNamed(const char* name)
{
    if (std::strcmp(name, "left") == 0) return morvane::LeftButton;
    if (std::strcmp(name, "right") == 0) return morvane::RightButton;
    if (std::strcmp(name, "middle") == 0) return morvane::MiddleButton;
    std::fprintf(stderr, "world_run: unknown button '%s'\n", name);
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (argc - 3) % 4 != 0) {
        std::fprintf(stderr, "usage: world_run SEED TICKS [N BUTTON X Y]...\n");
        return 2;
    }
    const std::uint64_t seed = std::strtoull(argv[1], nullptr, 10);
    const std::uint64_t ticks = std::strtoull(argv[2], nullptr, 10);
    std::vector<Release> releases;
    for (int i = 3; i < argc; i += 4)
        releases.push_back({std::strtoull(argv[i], nullptr, 10), ButtonNamed(argv[i + 1]),
                            std::strtof(argv[i + 2], nullptr), std::strtof(argv[i + 3], nullptr)});

    morvane::World world{};
    morvane::RandomSource random = morvane::RandomSource::FromSeed(seed);
    morvane::Canvas space = morvane::Canvas::Space();
    morvane::Canvas graph = morvane::Canvas::Graph();
    std::uint64_t next_report = 1;
    for (std::uint64_t t = 0;; ++t) {
        // The releases due after t ticks come after the t-th tick, before the next one.
        for (const Release& r : releases)
            if (r.after_ticks == t)
                morvane::space_MouseUp(world, random, morvane::WindowRules, r.button, 0, r.x, r.y);
        if (t == next_report || t == ticks) {
            std::printf("%llu %016llx\n", static_cast<unsigned long long>(t),
                        static_cast<unsigned long long>(morvane::HashWorld(world)));
            next_report *= 10;
        }
        if (t == ticks) break;
        morvane::RunTick(world, random, morvane::WindowRules, space, graph);
    }
    return 0;
}
