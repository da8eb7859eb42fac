#include "lab/outputs/rule_columns.h"

#include "sim/rule_book.h"

namespace morvane::lab {

std::string RuleColumnsHeader()
{
    std::string header;
    for (const RuleEntry& rule : RuleBook) {
        if (!header.empty()) header += ',';
        for (const char* c = rule.name; *c != '\0'; ++c)
            header += *c == '-' ? '_' : *c;
    }
    return header;
}

std::string RuleColumns(const Rules& rules)
{
    std::string columns;
    for (const RuleEntry& rule : RuleBook) {
        if (&rule != RuleBook.data()) columns += ',';
        columns += RuleText(rules, rule);
    }
    return columns;
}

} // namespace morvane::lab
