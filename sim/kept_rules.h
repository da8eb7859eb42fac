// A run's rules as the files that keep runs (a checkpoint, a shard's samples) write them: each
// rule by name with its value as a double, in the rule book's order, so that a file names what
// it kept and a later program with more rules, or fewer, can tell which is which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/byte_codec.h"
#include "sim/rule_book.h"
#include "sim/rules.h"

namespace morvane {

// No rule's name is longer, in a file that keeps them.
inline constexpr std::size_t MostKeptRuleName = 64;

// The rules' names and values as a file holds them, before they are checked.
using KeptRules = std::vector<std::pair<std::string_view, double>>;

// Every rule, as a count, then for each its name (u8 length, bytes) and value (f64).
void WriteRules(ByteWriter& w, const Rules& rules);

// One rule's name, as WriteRules writes it.
void WriteRuleName(ByteWriter& w, std::string_view name);

// Reads a rule's name as WriteRuleName wrote it. A length no writer gives is thrown, as Error,
// in the words `damaged(problem)` gives it: a file read before its checksum is checked names
// the checksum instead.
template <typename Error, typename Damaged>
std::string_view ReadRuleName(ByteReader<Error>& r, Damaged damaged)
{
    const auto size = r.template Number<std::uint8_t>();
    if (size > MostKeptRuleName) throw Error(damaged("corrupt (a rule's name)"));
    return r.Bytes(size);
}

// Reads what WriteRules wrote; a count or a name's length no writer gives is thrown as
// ReadRuleName throws it.
template <typename Error, typename Damaged>
KeptRules ReadKeptRules(ByteReader<Error>& r, Damaged damaged)
{
    const auto count = r.template Number<std::uint16_t>();
    if (count != RuleBook.size()) throw Error(damaged("corrupt (the count of its rules)"));
    KeptRules kept;
    for (std::uint16_t k = 0; k < count; ++k) {
        const std::string_view name = ReadRuleName(r, damaged);
        kept.emplace_back(name, r.Double());
    }
    return kept;
}

// Sets a rule to a value a file kept, which must be the very double a writer would have kept
// for it (not -0 for 0, say): throws RunRefused as SetRule does, or with "a rule's value".
void SetKeptRule(Rules& rules, const RuleEntry& rule, double value);

// The rules kept: every rule once, in the rule book's order, each in its range, and all of them
// holding together. Throws RunRefused with the problem in a few words ("a rule's name", or the
// range broken): rules no writer wrote are damage.
Rules CheckedRules(const KeptRules& kept);

} // namespace morvane
