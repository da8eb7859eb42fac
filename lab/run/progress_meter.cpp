// The bar is drawn by a thread of its own that wakes four times a second, so the runs pay one
// relaxed atomic addition every few thousand ticks and nothing else.
#include "lab/run/progress_meter.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace morvane::lab {

namespace {

std::string Duration(double seconds)
{
    const long long whole = std::llround(std::min(seconds, 359999.0));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

} // namespace

std::string ProgressLine(double done, double total, double seconds)
{
    constexpr int Width = 30;
    const double fraction = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * Width);
    std::string line = "[";
    line.append(filled, '#');
    line.append(Width - filled, '.');
    line += ']';
    char text[96];
    const double rate = seconds > 0 ? done / seconds : 0;
    std::snprintf(text, sizeof text, " %3d%%  %.0f ticks/s  ", static_cast<int>(fraction * 100),
                  rate);
    line += text;
    line += rate > 0 ? Duration((total - done) / rate) : std::string("--:--");
    line += " left";
    return line;
}

ProgressMeter::ProgressMeter(double total, bool shown, std::FILE* out) : total_(total), out_(out)
{
    if (shown) drawer_ = std::thread([this] { Draw(); });
}

ProgressMeter::~ProgressMeter()
{
    if (!drawer_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    drawer_.join();
}

void ProgressMeter::Draw()
{
    const auto start = std::chrono::steady_clock::now();
    std::size_t drawn = 0; // characters of the bar now on the terminal
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping_; })) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds < QuietSeconds) continue;
        const std::string line = ProgressLine(
            static_cast<double>(done_.load(std::memory_order_relaxed)), total_, seconds);
        // Padded to the previous width, so a shorter line leaves no tail of the longer one.
        std::fprintf(out_, "\r%-*s", static_cast<int>(std::max(drawn, line.size())), line.c_str());
        std::fflush(out_);
        drawn = std::max(drawn, line.size());
    }
    if (drawn > 0) {
        std::fprintf(out_, "\r%*s\r", static_cast<int>(drawn), "");
        std::fflush(out_);
    }
}

bool ProgressWanted(bool quiet) { return !quiet && ::isatty(STDERR_FILENO) == 1; }

} // namespace morvane::lab
