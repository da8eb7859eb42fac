// The --lineage-out table: every animal that lived in the run, who its parents were, when it
// entered and left the world, how, and the traits it was born with, as a phylogeny in the
// ALife Data Standard's CSV form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "sim/life_watcher.h"
#include "sim/pedigree.h"

namespace morvane::lab {

// One animal's life: how it entered, and how it ended or that it goes on.
struct LifeRow {
    BirthRecord birth;
    float speed = 0, turn = 0; // as the table holds them
    bool ended = false;        // false: alive when the run ended
    Death death = Death::Left;
    std::uint64_t died_at = 0; // ticks run when it is first seen dead
};

std::string LineageHeader();                 // newline included
std::string LineageLine(const LifeRow& row); // newline included

// --lineage-out: a row as each life ends, then one for each animal alive at the end, by id.
std::unique_ptr<WorldOutput> MakeLineageOutput(const std::string& value,
                                               const std::vector<OutputFile*>& files);

} // namespace morvane::lab
