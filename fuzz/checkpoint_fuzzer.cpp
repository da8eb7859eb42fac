// libFuzzer target: the checkpoint reader, on any bytes. Two ways in, by the first byte:
//   even  the bytes as a file: whatever they hold, the reader refuses them in words or reads
//         a checkpoint that writes back to the very same bytes;
//   odd   edits to a real world, written as a checkpoint with a right checksum, so the fuzzer
//         reaches the checks behind the checksum: the second byte's low bit makes the random
//         stream even, the rest is triples (offset in the world, two bytes; byte to put there).
//         Any world must be refused in words or read back exactly as it was written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/checkpoint.h"
#include "sim/scenes.h"
#include "sim/tick.h"
#include "sim/world_columns.h"

namespace {

using morvane::CheckpointError;
using morvane::RunState;

[[noreturn]] void Broken(const char* what)
{
    std::fprintf(stderr, "checkpoint fuzzer: %s\n", what);
    std::abort();
}

void ReadAndWriteBack(std::string_view bytes)
{
    RunState read;
    try {
        read = morvane::ReadCheckpoint(bytes);
    } catch (const CheckpointError& e) {
        if (std::string_view(e.what()).empty()) Broken("a refusal without a reason");
        return;
    }
    // The program version recorded is not part of the state; write it back as it was.
    const std::string again = morvane::WriteCheckpoint(read, "1.0.0.0");
    if (morvane::ReadCheckpoint(again).ticks_run != read.ticks_run)
        Broken("a checkpoint read back does not read again the same");
}

// A small real world to edit: the fresh scene a few hundred ticks on, on kept canvases.
const RunState& Base()
{
    static const RunState base = [] {
        RunState c;
        morvane::Scene scene = morvane::FreshScene();
        morvane::Tallying counting_c(c.since_row);
        for (int t = 0; t < 300; ++t)
            morvane::RunTick(scene.world, scene.random, morvane::WindowRules, c.space, c.graph,
                             &counting_c);
        c.world = scene.world;
        c.random = scene.random;
        c.ticks_run = 300;
        return c;
    }();
    return base;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (size == 0 || data[0] % 2 == 0) {
        ReadAndWriteBack(input.substr(size == 0 ? 0 : 1));
        return 0;
    }
    RunState edited = Base();
    if (size > 1 && (data[1] & 1) != 0)
        edited.random = morvane::RandomSource::FromState(edited.random.State(), 2);
    auto* raw = reinterpret_cast<std::uint8_t*>(&edited.world);
    for (std::size_t k = 2; k + 2 < size; k += 3) {
        const std::size_t offset = (data[k] | (data[k + 1] << 8)) % sizeof(morvane::World);
        raw[offset] = data[k + 2];
    }
    RunState read;
    try {
        read = morvane::ReadCheckpoint(morvane::WriteCheckpoint(edited, "1.0.0.0"));
    } catch (const CheckpointError& e) {
        if (std::string_view(e.what()).empty()) Broken("a refusal without a reason");
        return 0;
    }
    if (!morvane::SameBits(read.world, edited.world) || !(read.random == edited.random))
        Broken("a world read back differs from the world written");
    return 0;
}
