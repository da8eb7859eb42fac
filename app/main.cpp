// morvane: opens the window and runs it until the user closes it.
// <SDL.h> is here because on some platforms it renames main() to its own entry point.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/form1.h"

namespace {

// MORVANE_REPORT_TICKS=1 prints the timer's record at the end, to check its rate from
// outside; the program behaves the same either way.
void ReportTimer(const morvane::app::TimerRecord& record)
{
    const char* wanted = std::getenv("MORVANE_REPORT_TICKS");
    if (wanted == nullptr || std::strcmp(wanted, "1") != 0) return;
    std::printf("morvane: %llu ticks in %llu ms, %llu timer firings dropped\n",
                static_cast<unsigned long long>(record.ticks),
                static_cast<unsigned long long>(record.lifetime_ms),
                static_cast<unsigned long long>(record.dropped));
    std::fflush(stdout); // a pipe: make sure the line is out before anything ends the process
}

} // namespace

int main(int /*argc*/, char* /*argv*/[])
{
    try {
        morvane::app::Form1 form;
        form.Run();
        ReportTimer(form.Record());
        return EXIT_SUCCESS;
    } catch (const morvane::app::WindowError& error) {
        std::fprintf(stderr, "morvane: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
