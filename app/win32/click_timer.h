// The click timer of the Win32 window. A window-system timer fires at the system's coarse
// pace (about 64 a second on a usual Windows), so a thread of its own sleeps on a
// high-resolution timer towards each firing of the shared schedule and posts the window one
// message for it; the tick itself runs when the window's thread takes that message.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace morvane::app {

class ClickTimer {
public:
    // Fires at `window` with `message` every 10 ms from now on; throws std::system_error
    // when the system gives no timer.
    ClickTimer(HWND window, UINT message);
    // Stops firing and waits for the thread to end.
    ~ClickTimer();
    ClickTimer(const ClickTimer&) = delete;
    ClickTimer& operator=(const ClickTimer&) = delete;

    // The window's thread has taken the message. A firing that finds its last message still
    // waiting is dropped, as the schedule drops the firings a late wake-up missed: a window
    // kept busy gets no burst of ticks afterwards.
    void Taken() { waiting_.store(false); }

private:
    void Run(std::uint64_t start_ms);

    HWND window_;
    UINT message_;
    HANDLE stop_;  // set to end the thread
    HANDLE timer_; // what the thread sleeps on between firings
    bool coarse_;  // no high-resolution timer here: the system's 1 ms period was asked for
    std::atomic<bool> waiting_{false};
    std::thread thread_;
};

} // namespace morvane::app
