// Sleeping towards the schedule's grid on a waitable timer, and posting one tick at a time.
#include "app/win32/click_timer.h"

#include <mmsystem.h>

#include <system_error>

#include "app/tick_schedule.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace morvane::app {

namespace {

std::uint64_t NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::uint64_t>(count.QuadPart) * 1000u /
           static_cast<std::uint64_t>(frequency.QuadPart);
}

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

// Windows 10 (1803) and later, and Wine, wake a high-resolution timer within a fraction of a
// millisecond. Older systems refuse the flag; there a plain timer is as fine as the system's
// timer period, which is then asked to be 1 ms for as long as the window runs.
HANDLE CreateTimer(bool& coarse)
{
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    coarse = timer == nullptr;
    if (coarse) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    if (timer == nullptr) Fail("no timer");
    if (coarse) timeBeginPeriod(1);
    return timer;
}

} // namespace

ClickTimer::ClickTimer(HWND window, UINT message) : window_(window), message_(message)
{
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop_ == nullptr) Fail("no event");
    try {
        timer_ = CreateTimer(coarse_);
    } catch (...) {
        CloseHandle(stop_);
        throw;
    }
    thread_ = std::thread(&ClickTimer::Run, this, NowMs());
}

ClickTimer::~ClickTimer()
{
    SetEvent(stop_);
    thread_.join();
    if (coarse_) timeEndPeriod(1);
    CloseHandle(timer_);
    CloseHandle(stop_);
}

void ClickTimer::Run(std::uint64_t start_ms)
{
    TickSchedule click(start_ms);
    const HANDLE wake[] = {stop_, timer_};
    for (;;) {
        // Relative, in 100 ns units; 0 signals at once.
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(click.MsUntilDue(NowMs()) * 10'000u);
        SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
        if (WaitForMultipleObjects(2, wake, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        const std::uint64_t now = NowMs();
        if (!click.Due(now)) continue;
        click.Fire(now);
        if (!waiting_.exchange(true) && !PostMessageW(window_, message_, 0, 0))
            waiting_.store(false);
    }
}

} // namespace morvane::app
