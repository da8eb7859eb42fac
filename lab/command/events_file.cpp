// A strict reader: an events file that says something odd is refused, never half-obeyed.
#include "lab/command/events_file.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <streambuf>

#include "lab/command/input_file.h"
#include "lab/command/lab_error.h"
#include "sim/mouse_release.h"
#include "sim/number_text.h"
#include "sim/quoted_text.h"
#include "sim/world_run.h"

namespace morvane::lab {

namespace {

[[noreturn]] void Fail(const std::string& source, std::uint64_t line, const std::string& what)
{
    throw LabError(source + ":" + std::to_string(line) + ": " + what);
}

float ReadCoordinate(const std::string& token, const char* name, const std::string& source,
                     std::uint64_t line)
{
    if (!IsDecimalNumber(token))
        Fail(source, line,
             std::string(name) + " " + QuotedText(token) + " is not a finite decimal number");
    errno = 0;
    // strtof rounds to the nearest float, as the mouse handler's single-precision
    // coordinates require; the program never changes the C locale, so '.' is the point.
    const float value = std::strtof(token.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value))
        Fail(source, line,
             std::string(name) + " " + QuotedText(token) +
                 " is beyond the range of a 32-bit float");
    return value;
}

std::int16_t ReadButton(const std::string& token, const std::string& source, std::uint64_t line)
{
    try {
        return ButtonNamed(token);
    } catch (const RunRefused& refused) {
        Fail(source, line, refused.what());
    }
}

std::uint64_t ReadTickCount(const std::string& token, const std::string& source, std::uint64_t line)
{
    std::uint64_t value = 0;
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, value);
    if (ec == std::errc::result_out_of_range)
        Fail(source, line, "tick count " + QuotedText(token) + " is too large");
    if (ec != std::errc() || ptr != end)
        Fail(source, line,
             "tick count " + QuotedText(token) + " is not a whole number of ticks 0 or more");
    return value;
}

// The next line of `in` into `text`, without its newline; false at the end of the text. A line
// is refused as soon as it grows past MostLineCharacters, so an input with no newline (a
// device that never ends, say) costs no more than one line's memory.
bool ReadLine(std::streambuf& in, std::string& text, const std::string& source, std::uint64_t line)
{
    text.clear();
    for (bool any = false;; any = true) {
        const int c = in.sbumpc();
        if (c == std::char_traits<char>::eof()) return any;
        if (c == '\n') return true;
        if (text.size() == MostLineCharacters)
            Fail(source, line,
                 "the line is longer than " + std::to_string(MostLineCharacters) + " characters");
        text.push_back(static_cast<char>(c));
    }
}

// The byte-order mark Windows' Notepad puts at the start of a UTF-8 file; it says nothing.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::vector<ScriptedRelease> ReadEvents(std::istream& in, const std::string& source)
{
    std::vector<ScriptedRelease> releases;
    std::string text;
    std::uint64_t line = 0;
    while (ReadLine(*in.rdbuf(), text, source, line + 1)) {
        ++line;
        if (line == 1 && text.starts_with(ByteOrderMark)) text.erase(0, ByteOrderMark.size());
        if (!text.empty() && text.back() == '\r') text.pop_back(); // files written on Windows
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#') continue;

        std::istringstream fields(text);
        std::string ticks, button, x, y, extra;
        if (!(fields >> ticks >> button >> x >> y))
            Fail(source, line, "expected '<ticks> <button> <x> <y>'");
        if (fields >> extra)
            Fail(source, line, "unexpected " + QuotedText(extra) + " after the y coordinate");

        releases.push_back(ScriptedRelease{
            ReadTickCount(ticks, source, line), ReadButton(button, source, line),
            ReadCoordinate(x, "x", source, line), ReadCoordinate(y, "y", source, line), line});
    }
    return releases;
}

namespace {

// Passes a file's bytes on to the reader as they are read, taking each piece into a digest
// when one is kept, so a file of any length (or a pipe) is read once, and refusing a file
// larger than any list of releases a person would script.
class EventsBuffer : public std::streambuf {
public:
    EventsBuffer(InputFile& file, FileDigest* digest) : file_(file), digest_(digest) {}

protected:
    int_type underflow() override
    {
        if (read_ > MostEventsFileBytes)
            throw LabError(file_.Name() + " is larger than " +
                           std::to_string(MostEventsFileBytes >> 20) + " MiB");
        const std::size_t got = file_.Read(piece_.data(), Piece);
        if (got == 0) return traits_type::eof();
        read_ += got;
        if (digest_) digest_->Add({piece_.data(), got});
        setg(piece_.data(), piece_.data(), piece_.data() + got);
        return traits_type::to_int_type(piece_[0]);
    }

private:
    static constexpr std::size_t Piece = 1 << 16;
    InputFile& file_;
    FileDigest* digest_;
    std::uint64_t read_ = 0;
    std::array<char, Piece> piece_{};
};

} // namespace

std::vector<ScriptedRelease> ReadEventsFile(const std::string& path, FileDigest* digest)
{
    InputFile file(path, "events file " + path);
    if (digest) digest->given = true; // an empty file too
    EventsBuffer buffer(file, digest);
    std::istream in(&buffer);
    return ReadEvents(in, path);
}

void WarnLateReleases(const std::vector<ScriptedRelease>& releases, const std::string& path,
                      std::uint64_t ticks, std::ostream& warnings)
{
    for (const ScriptedRelease& r : releases)
        if (r.after_ticks > ticks)
            warnings << "morvane-lab: warning: " << path << ":" << r.line << ": release after "
                     << r.after_ticks << " ticks lies beyond the run of " << ticks
                     << " ticks and is not delivered\n";
}

} // namespace morvane::lab
