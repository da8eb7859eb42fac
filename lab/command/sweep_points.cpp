#include "lab/command/sweep_points.h"

#include <cmath>
#include <cstdlib>

#include "lab/command/input_file.h"
#include "lab/command/lab_error.h"
#include "lab/command/text_fields.h"
#include "sim/number_text.h"
#include "sim/quoted_text.h"
#include "sim/run_refused.h"

namespace morvane::lab {

namespace {

// A design of a million points of twenty rules is some 200 MB of text; none need be larger.
constexpr std::size_t MostDesignBytes = std::size_t{256} << 20;

std::vector<std::string_view> Split(std::string_view text, char at)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(at, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// FIRST:STEP:LAST.
std::vector<double> SteppedValues(const RuleEntry& rule, std::string_view text)
{
    const std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() != 3) throw LabError("expected FIRST:STEP:LAST or V1,V2,...");
    double first = 0, step = 0, last = 0;
    for (auto [part, into] : {std::pair{parts[0], &first}, {parts[1], &step}, {parts[2], &last}}) {
        if (!IsDecimalNumber(part)) throw LabError(QuotedText(part) + " is not a decimal number");
        *into = std::strtod(std::string(part).c_str(), nullptr);
    }
    if (!std::isfinite(first) || !std::isfinite(step) || !std::isfinite(last))
        throw LabError("FIRST, STEP and LAST must be finite");
    if (step == 0) throw LabError("STEP is 0, which never reaches LAST");
    const double steps = (last - first) / step;
    if (steps < -0.5) throw LabError("STEP leads away from LAST");
    if (!(steps < static_cast<double>(MostSweepPoints)))
        throw LabError("more than " + GroupedDigits(MostSweepPoints) + " values");
    const auto n = static_cast<std::size_t>(std::llround(steps));
    std::vector<double> values;
    for (std::size_t i = 0; i <= n; ++i)
        values.push_back(HeldRuleValue(rule, first + static_cast<double>(i) * step));
    return values;
}

// A rule by the lab's name, or by Python's (with '_' for '-'), as a design may name it.
const RuleEntry* RuleCalled(std::string_view name)
{
    std::string lab_name(name);
    for (char& c : lab_name)
        if (c == '_') c = '-';
    return RuleNamed(lab_name);
}

} // namespace

Varied ReadVary(std::string_view text)
{
    const std::string shown = "--vary " + QuotedText(text) + ": ";
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) throw LabError(shown + "expected NAME=V1,V2,...");
    const std::string_view name = text.substr(0, equals), values = text.substr(equals + 1);
    Varied varied;
    try {
        const RuleEntry& rule = KnownRuleOrRefused(name);
        varied.rule = &rule;
        if (values.find(':') != std::string_view::npos) {
            varied.values = SteppedValues(rule, values);
        } else {
            for (std::string_view value : Split(values, ','))
                varied.values.push_back(RuleValue(rule, value));
        }
    } catch (const LabError& refused) {
        throw LabError(shown + refused.what());
    }
    return varied;
}

SweepPoints GridOf(const std::vector<Varied>& varies)
{
    SweepPoints sweep;
    std::size_t count = 1;
    for (const Varied& v : varies) {
        for (const RuleEntry* earlier : sweep.varied)
            if (earlier == v.rule)
                throw LabError("--vary " + std::string(v.rule->name) + " is given twice");
        sweep.varied.push_back(v.rule);
        if (v.values.size() > MostSweepPoints / count)
            throw LabError("the --vary grid has more than " + GroupedDigits(MostSweepPoints) +
                           " points");
        count *= v.values.size();
    }
    for (std::size_t k = 0; k < count; ++k) {
        // Point k in mixed radix, the last --vary its lowest digit.
        std::vector<RuleChange> point(varies.size());
        std::size_t rest = k;
        for (std::size_t v = varies.size(); v-- > 0;) {
            point[v] = {varies[v].rule, varies[v].values[rest % varies[v].values.size()]};
            rest /= varies[v].values.size();
        }
        sweep.points.push_back(std::move(point));
    }
    return sweep;
}

SweepPoints ReadDesignFile(const std::string& path)
{
    InputFile file(path, "design file " + path);
    const std::string text = file.ReadUpTo(MostDesignBytes);
    if (text.size() > MostDesignBytes)
        throw LabError(file.Name() + ": longer than any design file (" +
                       GroupedDigits(MostDesignBytes) + " bytes)");
    SweepPoints sweep;
    bool header = false;
    std::size_t line = 0;
    for (std::size_t start = 0; start <= text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view content = Trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (content.empty() || content.front() == '#') continue;
        const std::string where = path + ":" + std::to_string(line + 1) + ": ";
        const std::vector<std::string_view> fields = Split(content, ',');
        if (!header) {
            header = true;
            for (std::string_view field : fields) {
                const std::string_view name = Trimmed(field);
                const RuleEntry* rule = RuleCalled(name);
                if (!rule)
                    throw LabError(where + "the header names no rule " + QuotedText(name) +
                                   " (see morvane-lab --help for the rules)");
                for (const RuleEntry* earlier : sweep.varied)
                    if (earlier == rule)
                        throw LabError(where + "the header names " + rule->name + " twice");
                sweep.varied.push_back(rule);
            }
            continue;
        }
        if (fields.size() != sweep.varied.size())
            throw LabError(where + std::to_string(fields.size()) + " values for the header's " +
                           std::to_string(sweep.varied.size()) + " rules");
        if (sweep.points.size() == MostSweepPoints)
            throw LabError(where + "more than " + GroupedDigits(MostSweepPoints) + " points");
        std::vector<RuleChange> point;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            try {
                point.push_back({sweep.varied[k], RuleValue(*sweep.varied[k], Trimmed(fields[k]))});
            } catch (const LabError& refused) {
                throw LabError(where + refused.what());
            }
        }
        sweep.points.push_back(std::move(point));
    }
    if (sweep.points.empty())
        throw LabError(path + ": " +
                       (header ? "no points under its header" : "no header and no points"));
    return sweep;
}

} // namespace morvane::lab
