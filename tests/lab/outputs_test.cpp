// What morvane-lab writes: the same bytes on every run, and exactly the world, counts and
// canvases that the simulation itself produces from the same start and the same releases.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

using nlohmann::json;

json ReadJson(const fs::path& path) { return json::parse(ReadFile(path)); }

// Integers must be written as integers; floats must read back to the very float held.
template <typename T, std::size_t N>
void ExpectColumn(const json& dump, const char* table, const char* field,
                  const std::array<T, N>& expected)
{
    SCOPED_TRACE(std::string(table) + "." + field);
    const json& column = dump.at(table).at(field);
    ASSERT_TRUE(column.is_array());
    ASSERT_EQ(column.size(), N);
    for (std::size_t k = 0; k < N; ++k) {
        const json& value = column[k];
        if constexpr (std::is_integral_v<T>) {
            ASSERT_TRUE(value.is_number_integer()) << "slot " << k << ": " << value;
            EXPECT_EQ(value.get<std::int64_t>(), expected[k]) << "slot " << k;
        } else {
            ASSERT_TRUE(value.is_number()) << "slot " << k << ": " << value;
            EXPECT_EQ(static_cast<float>(value.get<double>()), expected[k]) << "slot " << k;
        }
    }
}

void ExpectDumpOf(const json& dump, std::uint64_t ticks_run, const World& world)
{
    ASSERT_TRUE(dump.is_object());
    EXPECT_EQ(dump.size(), 4u) << dump.dump().substr(0, 200);
    ASSERT_TRUE(dump.at("ticks_run").is_number_unsigned());
    EXPECT_EQ(dump.at("ticks_run").get<std::uint64_t>(), ticks_run);
    ASSERT_TRUE(dump.at("tick").is_number_integer());
    EXPECT_EQ(dump.at("tick").get<int>(), world.sweep);
    EXPECT_EQ(dump.at("animals").size(), 8u);
    EXPECT_EQ(dump.at("plants").size(), 3u);
    const AnimalTable& a = world.animals;
    ExpectColumn(dump, "animals", "x", a.x);
    ExpectColumn(dump, "animals", "y", a.y);
    ExpectColumn(dump, "animals", "heading", a.heading);
    ExpectColumn(dump, "animals", "energy", a.energy);
    ExpectColumn(dump, "animals", "target", a.target);
    ExpectColumn(dump, "animals", "mode", a.mode);
    ExpectColumn(dump, "animals", "turn", a.turn);
    ExpectColumn(dump, "animals", "speed", a.speed);
    const PlantTable& p = world.plants;
    ExpectColumn(dump, "plants", "x", p.x);
    ExpectColumn(dump, "plants", "y", p.y);
    ExpectColumn(dump, "plants", "size", p.size);
}

// Decodes a PNG and checks it is 8-bit RGB of the canvas's size with the canvas's pixels.
void ExpectPngOf(const fs::path& path, const Canvas& canvas)
{
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = ReadFile(path);
    ASSERT_GE(bytes.size(), 33u);
    // Signature, then IHDR: width, height, bit depth 8, colour type 2 (RGB), no interlace.
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k)
            v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
        return v;
    };
    EXPECT_EQ(be32(16), static_cast<std::uint32_t>(canvas.Width()));
    EXPECT_EQ(be32(20), static_cast<std::uint32_t>(canvas.Height()));
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 2);
    EXPECT_EQ(bytes[28], 0);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    int wrong = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const png_byte* px = &rgb[(static_cast<std::size_t>(y) * canvas.Width() + x) * 3];
            const Colour c = canvas.At(x, y);
            if (px[0] != RedOf(c) || px[1] != GreenOf(c) || px[2] != BlueOf(c)) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "pixels differ from the canvas";
}

const std::vector<std::string> AllOutputs = {"--state-out", "s.json", "--counts-out",
                                             "c.csv",       "--png",  "p"};

std::vector<std::string> Args(std::vector<std::string> args)
{
    args.insert(args.end(), AllOutputs.begin(), AllOutputs.end());
    return args;
}

TEST(Outputs, TheSameArgumentsGiveTheSameBytesOnEveryRun)
{
    for (const auto& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--seed", "7", "--events", "e"}}) {
        std::string first[4];
        for (int run = 0; run < 2; ++run) {
            ScratchFolder folder;
            folder.Write("e", "0 left 200 200\n100 right 50 60\n150 left 10 400\n");
            std::vector<std::string> args = {"--ticks", "400"};
            args.insert(args.end(), extra.begin(), extra.end());
            const LabResult result = RunLabBinary(folder, Args(args));
            ASSERT_EQ(result.status, 0) << result.err;
            const char* names[] = {"s.json", "c.csv", "p-space.png", "p-graph.png"};
            for (int k = 0; k < 4; ++k) {
                const std::string bytes = ReadFile(folder.Work() / names[k]);
                ASSERT_FALSE(bytes.empty()) << names[k];
                if (run == 0)
                    first[k] = bytes;
                else
                    EXPECT_EQ(bytes, first[k]) << names[k] << " differs between runs";
            }
            EXPECT_EQ(folder.Names(), (std::set<std::string>{"e", "s.json", "c.csv", "p-space.png",
                                                             "p-graph.png"}));
        }
    }
}

TEST(Outputs, EveryOutputIsTheWorldTheSimulationItselfReaches)
{
    ScratchFolder folder;
    folder.Write("e", "0 left 200 200\n0 left 300.25 100.75\n50 right 123.5 45.5\n"
                      "120 left 1.00000005960464477539063 428.9\n");
    const LabResult result =
        RunLabBinary(folder, Args({"--ticks", "500", "--seed", "12345", "--events", "e"}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    const ReferenceRun expected = RunReference(500, 12345,
                                               {{0, 1, 200, 200},
                                                {0, 1, 300.25f, 100.75f},
                                                {50, 2, 123.5f, 45.5f},
                                                {120, 1, std::nextafter(1.0f, 2.0f), 428.9f}});
    // Without the releases the world must differ, or this comparison would prove nothing.
    ASSERT_NE(RunReference(500, 12345).world, expected.world);

    ExpectDumpOf(ReadJson(folder.Work() / "s.json"), 500, expected.world);
    const std::string csv = ReadFile(folder.Work() / "c.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 501);
    EXPECT_EQ(csv, CountsCsv(expected));
    ExpectPngOf(folder.Work() / "p-space.png", expected.space);
    ExpectPngOf(folder.Work() / "p-graph.png", expected.graph);
}

TEST(Outputs, ARightReleaseBeforeAnyTickIsPlantSlotZeroAfterNoTicks)
{
    ScratchFolder folder;
    folder.Write("e", "0 right 123.5 45.5\n");
    const LabResult result = RunLabBinary(folder, Args({"--ticks", "0", "--events", "e"}));
    ASSERT_EQ(result.status, 0) << result.err;
    const json dump = ReadJson(folder.Work() / "s.json");
    EXPECT_EQ(dump["ticks_run"], 0);
    EXPECT_EQ(dump["tick"], 0);
    // Whole pixels, halves to the even neighbour.
    EXPECT_EQ(dump["plants"]["x"][0], 124);
    EXPECT_EQ(dump["plants"]["y"][0], 46);
    const int size = dump["plants"]["size"][0];
    EXPECT_GE(size, 1);
    EXPECT_LE(size, 40);
    EXPECT_EQ(dump["plants"]["size"][1], 0);
    ExpectDumpOf(dump, 0, RunReference(0, std::nullopt, {{0, 2, 123.5f, 45.5f}}).world);
    EXPECT_EQ(ReadFile(folder.Work() / "c.csv"), "tick,animals,plants\n");
    ExpectPngOf(folder.Work() / "p-space.png", Canvas::Space()); // nothing drawn yet
}

TEST(Outputs, AReleaseAfterTheLastTickShowsInTheDumpButNotInTheCounts)
{
    ScratchFolder folder;
    folder.Write("e", "300 left 250.5 100.25\n");
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "300", "--events", "e", "--state-out", "with.json",
                                    "--counts-out", "with.csv"})
                  .status,
              0);
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "300", "--state-out", "without.json", "--counts-out",
                                    "without.csv"})
                  .status,
              0);
    EXPECT_EQ(ReadFile(folder.Work() / "with.csv"), ReadFile(folder.Work() / "without.csv"));

    const ReferenceRun plain = RunReference(300, std::nullopt);
    const ReferenceRun late = RunReference(300, std::nullopt, {{300, 1, 250.5f, 100.25f}});
    ExpectDumpOf(ReadJson(folder.Work() / "without.json"), 300, plain.world);
    ExpectDumpOf(ReadJson(folder.Work() / "with.json"), 300, late.world);

    // The newcomer sits in the lowest slot that was free, exactly where it was put.
    const auto& energy = plain.world.animals.energy;
    const std::size_t slot = std::find(energy.begin(), energy.end(), 0) - energy.begin();
    ASSERT_LT(slot, energy.size());
    const json animals = ReadJson(folder.Work() / "with.json")["animals"];
    EXPECT_EQ(animals["x"][slot], 250.5);
    EXPECT_EQ(animals["y"][slot], 100.25);
    EXPECT_EQ(animals["turn"][slot], 0.5);
    EXPECT_EQ(static_cast<float>(animals["speed"][slot].get<double>()), 0.3f);
    EXPECT_GE(animals["energy"][slot], 200);
}

TEST(Outputs, ReleasesWithTheSameTickCountArriveInFileOrderAfterEarlierOnes)
{
    ScratchFolder folder;
    // Listed out of tick order; within tick 2 the file order must hold.
    folder.Write("e", "2 right 30 30\n# late\n2 left 40 40\n2 right 10 10\n1 right 20 20\n"
                      "2 left 50 50\n");
    ASSERT_EQ(
        RunLabBinary(folder, {"--ticks", "2", "--events", "e", "--state-out", "s.json"}).status, 0);
    const std::vector<Release> in_order = {
        {1, 2, 20, 20}, {2, 2, 30, 30}, {2, 1, 40, 40}, {2, 2, 10, 10}, {2, 1, 50, 50}};
    const World expected = RunReference(2, std::nullopt, in_order).world;
    // Swapping two same-tick releases must change the world, or order would go unchecked.
    std::vector<Release> swapped = in_order;
    std::swap(swapped[1], swapped[3]);
    ASSERT_NE(RunReference(2, std::nullopt, swapped).world, expected);

    const json dump = ReadJson(folder.Work() / "s.json");
    ExpectDumpOf(dump, 2, expected);
    // Slots fill in the order the releases came: the tick-2 plants follow the tick-1 one.
    std::vector<int> plant_x;
    for (std::size_t k = 0; k < dump["plants"]["x"].size(); ++k)
        if (dump["plants"]["size"][k] != 0) plant_x.push_back(dump["plants"]["x"][k]);
    ASSERT_GE(plant_x.size(), 3u);
    EXPECT_EQ(std::vector<int>(plant_x.end() - 2, plant_x.end()), (std::vector<int>{30, 10}));
    std::vector<float> animal_x;
    for (std::size_t k = 0; k < dump["animals"]["x"].size(); ++k)
        if (dump["animals"]["energy"][k] != 0) animal_x.push_back(dump["animals"]["x"][k]);
    ASSERT_GE(animal_x.size(), 2u);
    EXPECT_EQ(std::vector<float>(animal_x.end() - 2, animal_x.end()), (std::vector<float>{40, 50}));
}

} // namespace
} // namespace morvane::labtest
