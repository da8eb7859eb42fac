// What a figure shows: the populations and the animals' mean speed and turning rate over time,
// each as a middle line inside a band.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::lab {

struct Band {
    bool present = false; // false: nothing to show at this tick (no living animal to average)
    double low = 0;       // the band's lower edge, <= middle
    double middle = 0;    // the line
    double high = 0;      // the band's upper edge, >= middle
};

struct PlotPoint {
    std::uint64_t tick = 0; // ticks run, 0..N
    Band animals;           // living animals, 0..251
    Band plants;            // living plants, 0..501
    Band speed;             // world pixels per tick
    Band turn;              // radians per tick
};

struct PlotSeries {
    std::vector<PlotPoint> points; // in tick order
    bool ensemble = false;         // true: median and 10-90 % of runs; false: one run, mean +- 1 sd
    std::string title;             // the figure's heading, UTF-8
};

} // namespace morvane::lab
