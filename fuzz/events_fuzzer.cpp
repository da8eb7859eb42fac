// libFuzzer target: morvane-lab's events reader on any text. The reader has an istream entry
// point, so the input is read from memory; the file-opening wrapper around it adds only the
// folder and open checks, which need no fuzzing.
//
// Whatever the text, the reader either refuses it with one LabError naming the source and a
// line, or returns releases that say exactly what their lines say: nothing skipped but blank
// and comment lines, every value written back and read again unchanged.
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "lab/command/events_file.h"
#include "lab/command/lab_error.h"
#include "sim/mouse_release.h"

namespace {

using morvane::lab::ScriptedRelease;

constexpr const char* Source = "fuzzed";

[[noreturn]] void Broken(const char* rule)
{
    std::fprintf(stderr, "broken rule of the events reader: %s\n", rule);
    std::fflush(stderr);
    std::abort();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A line the reader passes over: blank (spaces and tabs, before an optional CR) or a comment;
// the first line after a UTF-8 byte-order mark, if it has one.
bool Skipped(std::string line, bool first_line)
{
    if (first_line && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// A refusal names the source and a line of the text, as "fuzzed:<line>: ...".
void CheckRefusal(const std::string& message, std::size_t line_count)
{
    const std::string prefix = std::string(Source) + ":";
    if (message.compare(0, prefix.size(), prefix) != 0) Broken("a refusal names the source");
    char* end = nullptr;
    const unsigned long line = std::strtoul(message.c_str() + prefix.size(), &end, 10);
    if (end == message.c_str() + prefix.size() || *end != ':' || line < 1 || line > line_count)
        Broken("a refusal names a line of the text");
}

const char* ButtonName(std::int16_t button)
{
    switch (button) {
    case morvane::LeftButton:
        return "left";
    case morvane::RightButton:
        return "right";
    case morvane::MiddleButton:
        return "middle";
    default:
        Broken("a release's button is left, right or middle");
    }
}

// The releases written out again, nine significant digits being enough to bring every float
// back exactly.
std::string Rewritten(const std::vector<ScriptedRelease>& releases)
{
    std::string text;
    char line[128];
    for (const ScriptedRelease& r : releases) {
        std::snprintf(line, sizeof line, "%" PRIu64 " %s %.9g %.9g\n", r.after_ticks,
                      ButtonName(r.button), static_cast<double>(r.x), static_cast<double>(r.y));
        text += line;
    }
    return text;
}

bool SameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void CheckAccepted(const std::vector<ScriptedRelease>& releases,
                   const std::vector<std::string>& lines)
{
    std::size_t expected = 0;
    for (std::size_t k = 0; k < lines.size(); ++k)
        expected += !Skipped(lines[k], k == 0);
    if (releases.size() != expected) Broken("every line but blanks and comments is a release");

    std::uint64_t previous = 0;
    for (const ScriptedRelease& r : releases) {
        if (r.line <= previous || r.line > lines.size() ||
            Skipped(lines[static_cast<std::size_t>(r.line - 1)], r.line == 1))
            Broken("releases come in file order, each from a line of its own");
        previous = r.line;
        if (!std::isfinite(r.x) || !std::isfinite(r.y)) Broken("coordinates are finite");
    }

    std::istringstream again(Rewritten(releases));
    const std::vector<ScriptedRelease> reread = morvane::lab::ReadEvents(again, Source);
    if (reread.size() != releases.size()) Broken("the releases read back as many");
    for (std::size_t k = 0; k < releases.size(); ++k) {
        const ScriptedRelease &a = releases[k], &b = reread[k];
        if (a.after_ticks != b.after_ticks || a.button != b.button || !SameBits(a.x, b.x) ||
            !SameBits(a.y, b.y) || b.line != k + 1)
            Broken("a release written back reads back the same");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = Lines(text);
    std::istringstream in(text);
    std::vector<ScriptedRelease> releases;
    try {
        releases = morvane::lab::ReadEvents(in, Source);
    } catch (const morvane::lab::LabError& refusal) {
        CheckRefusal(refusal.what(), lines.size());
        return 0;
    }
    // Any other exception escapes, and libFuzzer reports it as the crash it would be in the lab.
    CheckAccepted(releases, lines);
    return 0;
}
