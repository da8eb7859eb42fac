// Text that came from outside (a file's line, a token, a name a user typed, a field of a file
// someone else made) shown in a message: quoted, with every byte that is not printable ASCII
// spelled out, and cut short when long, so a message is always one readable line of a sensible
// length, whatever it quotes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// The most characters of quoted text a message shows before it is cut short.
inline constexpr std::size_t MostQuotedCharacters = 60;

// `text` between single quotes: printable ASCII as it stands (a quote and a backslash with a
// backslash before them), a NUL as \0, a tab, newline and carriage return as \t, \n and \r,
// every other byte as \xHH. A text longer than `most` bytes shows its first `most` and then
// "...' (N characters)"; `most` 0 means never cut.
std::string QuotedText(std::string_view text, std::size_t most = MostQuotedCharacters);

// `message` with every control byte (a newline, an escape, a bell...) spelled out as in
// QuotedText and all else as it stands, so a message that names a file shows as one line and
// cannot steer the terminal that shows it.
std::string PrintableLine(std::string_view message);

} // namespace morvane
