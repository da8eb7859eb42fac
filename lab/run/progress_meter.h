// A progress bar on stderr for long runs: how far, how many ticks a second, how long left.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace morvane::lab {

// One line of the bar: `done` of `total` ticks after `seconds` of running (all >= 0).
std::string ProgressLine(double done, double total, double seconds);

class ProgressMeter {
public:
    // Ticks a run goes between two reports: the run thread never looks at the clock.
    static constexpr std::uint64_t Stride = 4096;
    // Runs shorter than this never show the bar.
    static constexpr double QuietSeconds = 1.0;

    // With `shown` false nothing is ever drawn and no thread is started. `total`: the ticks
    // of all runs together.
    ProgressMeter(double total, bool shown, std::FILE* out);
    ~ProgressMeter(); // stops drawing and wipes the bar, so the terminal is left clean
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Called by the runs, from any thread, with ticks run since their last report.
    void Add(std::uint64_t ticks) { done_.fetch_add(ticks, std::memory_order_relaxed); }

private:
    void Draw();

    double total_;
    std::FILE* out_;
    std::atomic<std::uint64_t> done_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread drawer_;
};

// Whether a bar belongs on stderr: it is a terminal and --quiet was not given.
bool ProgressWanted(bool quiet);

} // namespace morvane::lab
