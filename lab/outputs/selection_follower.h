// Why a trait's mean moved between two statistics rows: the change in the mean of the living,
// followed event by event and split by what moved it. A birth of value v with midparent m into
// n animals of mean z moves the mean by (v - z)/(n + 1): (m - z)/(n + 1) is selection (who got
// to breed), (v - m)/(n + 1) mutation. A top-up or a release moves it by (v - z)/(n + 1), an
// arrival; a death by (z - v)/(n - 1), by its cause. The parts add up to the change.
#pragma once

#include <cstdint>
#include <functional>

#include "lab/run/tick_loop.h"

namespace morvane::lab {

// How one trait's mean moved over a window.
struct TraitMovement {
    bool followed = false; // false: no animal lived at one end, or the population passed
                           // through empty; the numbers below then mean nothing
    double mean_before = 0, mean_after = 0, change = 0;
    double selection = 0, mutation = 0, arrivals = 0; // the births' parts
    double left = 0, exhausted = 0, paid = 0;         // the deaths' parts, by cause
};

struct SelectionWindow {
    std::uint64_t tick = 0; // the row that ends the window
    int animals_before = 0, animals_after = 0;
    TraitMovement speed, turn;
};

// Follows the means from the start of the run and from each row on, and hands over a window
// at each row after the run's start.
class SelectionFollower : public RunListener {
public:
    explicit SelectionFollower(std::function<void(const SelectionWindow&)> window_done)
        : window_done_(std::move(window_done))
    {
    }
    void Began(const RunState& run, const RunPlan& plan) override;
    void Entered(const World& world, int slot, const BirthRecord& record) override;
    void Died(const World& world, int slot, const BirthRecord& record, Death cause,
              std::uint64_t tick) override;
    void RowDue(const SampleRow& row) override;

private:
    // One trait's mean as the events move it.
    struct Following {
        double mean = 0; // of the living, as the events have moved it
        TraitMovement movement;
    };
    void StartWindow(std::uint64_t tick, const AnimalCensus& census);

    std::function<void(const SelectionWindow&)> window_done_;
    std::uint64_t since_tick_ = 0;
    int animals_before_ = 0;
    int living_ = 0;            // as the events have moved it
    bool passed_empty_ = false; // the population was or became empty since the window began
    Following speed_, turn_;
};

} // namespace morvane::lab
