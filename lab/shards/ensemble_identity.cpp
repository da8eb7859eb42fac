// Two requests are one when every value that shapes their outputs is equal; the first that
// differs is named in the words of the option that set it.
#include "lab/shards/ensemble_identity.h"

#include "sim/byte_codec.h"
#include "sim/rule_book.h"

namespace morvane::lab {

void FileDigest::Add(std::string_view bytes)
{
    given = true;
    size += bytes.size();
    crc = Crc32(bytes, crc);
}

namespace {

std::string Difference(const char* what, std::uint64_t a, std::uint64_t b)
{
    return std::string(what) + " " + std::to_string(a) + " and " + std::to_string(b);
}

std::string FileDifference(const char* option, const FileDigest& a, const FileDigest& b)
{
    if (a.given != b.given) return std::string(option) + " given to one and not the other";
    return std::string(option) + " files of different content";
}

// The first rule the two differ in: "rule birth-cost 250 and 400".
std::string RulesDifference(const Rules& a, const Rules& b)
{
    for (const RuleEntry& rule : RuleBook)
        if (rule.Of(a) != rule.Of(b))
            return std::string("rule ") + rule.name + " " + RuleText(a, rule) + " and " +
                   RuleText(b, rule);
    return {};
}

} // namespace

std::string FirstDifference(const EnsembleIdentity& a, const EnsembleIdentity& b)
{
    if (a.program_version != b.program_version)
        return "morvane-lab " + a.program_version + " and " + b.program_version;
    if (a.resumed != b.resumed) return "--resume given to one and not the other";
    if (a.checkpoint != b.checkpoint) return FileDifference("--resume", a.checkpoint, b.checkpoint);
    if (a.from != b.from) return Difference("starting ticks", a.from, b.from);
    if (a.to - a.from != b.to - b.from) return Difference("--ticks", a.to - a.from, b.to - b.from);
    if (a.every != b.every) return Difference("--every", a.every, b.every);
    if (a.first_seed != b.first_seed) return Difference("--seed", a.first_seed, b.first_seed);
    if (a.runs != b.runs) return Difference("--runs", a.runs, b.runs);
    if (a.events != b.events) return FileDifference("--events", a.events, b.events);
    if (a.swept != b.swept) return a.swept ? "a sweep and an ensemble" : "an ensemble and a sweep";
    if (a.point_rules.size() != b.point_rules.size())
        return "sweeps of " + std::to_string(a.point_rules.size()) + " and " +
               std::to_string(b.point_rules.size()) + " points";
    for (std::size_t p = 0; p < a.point_rules.size(); ++p)
        if (const std::string rule = RulesDifference(a.point_rules[p], b.point_rules[p]);
            !rule.empty())
            return a.swept ? "point " + std::to_string(p) + "'s " + rule : rule;
    return {};
}

} // namespace morvane::lab
