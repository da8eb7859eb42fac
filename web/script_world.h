// The World that scripts on the page and under node hold (see script_world.cpp).
#pragma once

#include <emscripten/val.h>

#include <string>

#include "sim/world_run.h"

namespace morvane::web {

class ScriptWorld {
public:
    // No seed (undefined or null): the window's fixed state. Throws an Error for a seed that
    // is not a whole number from 0 to 2^64 - 1 (a Number or a BigInt).
    explicit ScriptWorld(const emscripten::val& seed);

    void Step(const emscripten::val& ticks); // 1 when not given
    void Release(const emscripten::val& button, const emscripten::val& x, const emscripten::val& y);

    double TicksRun() const { return static_cast<double>(run_.TicksRun()); }
    emscripten::val Counts() const; // [animals, plants] of the last tick's passes
    std::string Hash() const { return run_.HashText(); }
    // The tables' columns and the canvases' pixels as typed arrays over the world's own memory:
    // they show the world as it stands whenever they are read.
    emscripten::val Animals();
    emscripten::val Plants();
    emscripten::val Space();
    emscripten::val Graph();

    WorldRun& Run() { return run_; }

private:
    WorldRun run_;
};

} // namespace morvane::web
