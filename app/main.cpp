// morvane: opens the window and runs it until the user closes it.
// <SDL.h> is here because on some platforms it renames main() to its own entry point.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/form1.h"

int main(int /*argc*/, char* /*argv*/[])
{
    try {
        morvane::app::Form1 form;
        form.Run();
        return EXIT_SUCCESS;
    } catch (const morvane::app::WindowError& error) {
        std::fprintf(stderr, "morvane: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
