// The pieces of the lab's own small text files (rules, designs): a field without the blanks
// around it, a CRLF line's carriage return included.
#pragma once

#include <string_view>

namespace morvane::lab {

inline std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace morvane::lab
