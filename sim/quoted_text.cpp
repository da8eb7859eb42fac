// Escaping works on bytes, not characters: a UTF-8 name shows as its \x bytes, which is odd to
// read but can never carry a terminal's escape sequence or split a line.
#include "sim/quoted_text.h"

namespace morvane {

namespace {

void AppendEscaped(std::string& out, unsigned char c)
{
    static constexpr char Hex[] = "0123456789abcdef";
    switch (c) {
    case '\0':
        out += "\\0";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\\':
        out += "\\\\";
        return;
    case '\'':
        out += "\\'";
        return;
    default:
        break;
    }
    if (c >= 0x20 && c < 0x7f) {
        out += static_cast<char>(c);
        return;
    }
    out += "\\x";
    out += Hex[c >> 4];
    out += Hex[c & 0xf];
}

} // namespace

std::string QuotedText(std::string_view text, std::size_t most)
{
    const bool cut = most != 0 && text.size() > most;
    const std::string_view shown = cut ? text.substr(0, most) : text;
    std::string out = "'";
    for (const char c : shown)
        AppendEscaped(out, static_cast<unsigned char>(c));
    if (!cut) return out + "'";
    return out + "...' (" + std::to_string(text.size()) + " characters)";
}

std::string PrintableLine(std::string_view message)
{
    std::string out;
    out.reserve(message.size());
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            AppendEscaped(out, byte);
        else
            out += c;
    }
    return out;
}

} // namespace morvane
