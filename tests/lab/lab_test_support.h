// Helpers for driving the real morvane-lab binary in a scratch folder and for running the
// same world in-process, so the tool's outputs can be checked against the simulation itself.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/canvas.h"
#include "sim/mouse_release.h"
#include "sim/random_source.h"
#include "sim/tick.h"
#include "sim/world.h"

namespace morvane::labtest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        static std::atomic<int> serial{0};
        const std::string name = "morvane-lab-test-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(serial++) + "-" +
                                 std::to_string(std::random_device{}());
        root_ = fs::temp_directory_path() / name;
        fs::create_directories(root_ / "work");
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The lab runs here; its stdout and stderr are kept beside it, not in it.
    fs::path Work() const { return root_ / "work"; }
    fs::path Root() const { return root_; }

    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Work() / name, std::ios::binary) << text;
    }

    // Every name in the work folder, so a test sees any leftover temporary.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Work()))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    fs::path root_;
};

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct LabResult {
    int status = -1; // exit status, or -1 when the lab did not exit normally
    std::string out;
    std::string err;

    std::vector<std::string> ErrLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

// Runs a shell command in the folder's work directory, its output kept beside the folder.
inline LabResult RunShell(const ScratchFolder& folder, const std::string& shell_command)
{
    // Built by appending only: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
    std::string command = "cd ";
    command += Quote(folder.Work().string());
    command += " && { ";
    command += shell_command;
    command += "; }";
    const fs::path out = folder.Root() / "stdout.txt";
    const fs::path err = folder.Root() / "stderr.txt";
    command += " >";
    command += Quote(out.string());
    command += " 2>";
    command += Quote(err.string());
    const int raw = std::system(command.c_str());
    LabResult result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

// The morvane-lab under test: the one built beside the tests, or the one MORVANE_LAB_UNDER_TEST
// names, so the same tests can be held against another build of the lab.
inline std::string LabPath()
{
    const char* chosen = std::getenv("MORVANE_LAB_UNDER_TEST");
    return chosen != nullptr && *chosen != '\0' ? chosen : MORVANE_LAB_PATH;
}

// Runs morvane-lab with `args` in the folder's work directory. A lab that misreads a count as
// endless (a wrapped "-5", say) is stopped after a minute, so the test fails instead of hanging.
inline LabResult RunLabBinary(const ScratchFolder& folder, const std::vector<std::string>& args)
{
    std::string command = "timeout 60 ";
    command += Quote(LabPath());
    for (const std::string& arg : args) {
        command += ' ';
        command += Quote(arg);
    }
    return RunShell(folder, command);
}

// One scripted mouse release for the in-process run.
struct Release {
    std::uint64_t after_ticks;
    std::int16_t button; // 1 left, 2 right, 3 middle
    float x;
    float y;
};

struct ReferenceRun {
    World world{};
    std::vector<TickCounts> counts;
    Canvas space = Canvas::Space();
    Canvas graph = Canvas::Graph();
};

// The world as the window program would leave it after `ticks` ticks with these releases
// delivered between ticks, in the order given.
inline ReferenceRun RunReference(std::uint64_t ticks, std::optional<std::uint64_t> seed,
                                 const std::vector<Release>& releases = {})
{
    ReferenceRun run;
    RandomSource random = seed ? RandomSource::FromSeed(*seed) : RandomSource{};
    for (std::uint64_t t = 0;; ++t) {
        for (const Release& r : releases)
            if (r.after_ticks == t)
                space_MouseUp(run.world, random, WindowRules, r.button, 0, r.x, r.y);
        if (t == ticks) break;
        run.counts.push_back(RunTick(run.world, random, WindowRules, run.space, run.graph));
    }
    return run;
}

// The counts file the lab should write for `run`.
inline std::string CountsCsv(const ReferenceRun& run)
{
    std::string text = "tick,animals,plants\n";
    for (std::size_t t = 0; t < run.counts.size(); ++t)
        text += std::to_string(t + 1) + "," + std::to_string(run.counts[t].animals) + "," +
                std::to_string(run.counts[t].plants) + "\n";
    return text;
}

// A CSV file as the lab writes it: a header line, then rows of comma-separated fields, a field
// with a comma in it quoted (the quotes are dropped here).
struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    std::size_t Column(const std::string& name) const
    {
        for (std::size_t k = 0; k < header.size(); ++k)
            if (header[k] == name) return k;
        throw std::out_of_range("no column " + name);
    }
    const std::string& At(std::size_t row, const std::string& name) const
    {
        return rows.at(row).at(Column(name));
    }
    double Number(std::size_t row, const std::string& name) const
    {
        return std::stod(At(row, name));
    }
};

inline CsvTable ParseCsv(const std::string& text)
{
    CsvTable table;
    std::istringstream lines(text);
    bool first = true;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                fields.emplace_back();
            else
                fields.back() += c;
        }
        if (first)
            table.header = fields;
        else
            table.rows.push_back(fields);
        first = false;
    }
    return table;
}

} // namespace morvane::labtest
