// A row is written the moment a life ends, so a run of any length keeps no more than the
// living in memory: the lineage is in the run's pedigree, which the world's slots bound.
#include "lab/outputs/lineage_table.h"

#include <algorithm>

#include "lab/outputs/csv_columns.h"

namespace morvane::lab {

namespace {

using std::string;

bool Bred(const LifeRow& r) { return r.birth.origin == Origin::Breeding; }

const char* OriginName(Origin origin)
{
    switch (origin) {
    case Origin::Breeding:
        return "breeding";
    case Origin::TopUp:
        return "top_up";
    case Origin::Release:
        return "release";
    case Origin::None:
        break;
    }
    return "";
}

const char* DeathName(Death death)
{
    switch (death) {
    case Death::Left:
        return "left";
    case Death::Exhausted:
        return "exhausted";
    case Death::Paid:
        return "paid";
    }
    return "";
}

// Two parents make a list with a comma in it, so it is quoted.
void AppendAncestors(string& f, const LifeRow& r)
{
    if (!Bred(r)) {
        f += "[none]";
        return;
    }
    f += "\"[";
    AppendNumber(f, r.birth.parents[0]);
    f += ',';
    AppendNumber(f, r.birth.parents[1]);
    f += "]\"";
}

const std::array<CsvColumn<LifeRow>, 12> LineageColumns{{
    {"id", [](string& f, const LifeRow& r) { AppendNumber(f, r.birth.id); }},
    {"ancestor_list", AppendAncestors},
    {"origin_time", [](string& f, const LifeRow& r) { AppendNumber(f, r.birth.born_at); }},
    {"destruction_time", [](string& f, const LifeRow& r) { AppendIf(f, r.ended, r.died_at); }},
    {"origin", [](string& f, const LifeRow& r) { f += OriginName(r.birth.origin); }},
    {"death", [](string& f, const LifeRow& r) { f += r.ended ? DeathName(r.death) : ""; }},
    {"speed", [](string& f, const LifeRow& r) { AppendNumber(f, r.speed); }},
    {"turn", [](string& f, const LifeRow& r) { AppendNumber(f, r.turn); }},
    {"midparent_speed",
     [](string& f, const LifeRow& r) { AppendIf(f, Bred(r), r.birth.midparent_speed); }},
    {"midparent_turn",
     [](string& f, const LifeRow& r) { AppendIf(f, Bred(r), r.birth.midparent_turn); }},
    {"speed_mutation",
     [](string& f, const LifeRow& r) { AppendIf(f, Bred(r), r.birth.speed_mutation); }},
    {"turn_mutation",
     [](string& f, const LifeRow& r) { AppendIf(f, Bred(r), r.birth.turn_mutation); }},
}};

class LineageOutput : public WorldOutput {
public:
    explicit LineageOutput(OutputFile& file) : file_(file) { file_.Write(LineageHeader()); }
    void Died(const World& world, int slot, const BirthRecord& record, Death cause,
              std::uint64_t tick) override
    {
        const AnimalTable& a = world.animals;
        file_.Write(LineageLine({record, a.speed[slot], a.turn[slot], true, cause, tick}));
    }
    void Finish(const RunState& run) override
    {
        std::vector<LifeRow> living;
        const AnimalTable& a = run.world.animals;
        for (int i = 0; i < AnimalSlots; ++i)
            if (a.energy[i] > 0) living.push_back({run.pedigree.of_slot[i], a.speed[i], a.turn[i]});
        std::sort(living.begin(), living.end(),
                  [](const LifeRow& x, const LifeRow& y) { return x.birth.id < y.birth.id; });
        for (const LifeRow& row : living)
            file_.Write(LineageLine(row));
    }

private:
    OutputFile& file_;
};

} // namespace

std::string LineageHeader() { return CsvHeader(LineageColumns); }

std::string LineageLine(const LifeRow& row) { return CsvLine(LineageColumns, row); }

std::unique_ptr<WorldOutput> MakeLineageOutput(const std::string& /*value*/,
                                               const std::vector<OutputFile*>& files)
{
    return std::make_unique<LineageOutput>(*files.at(0));
}

} // namespace morvane::lab
