// Morvane.exe: opens the window and runs it until the user closes it.
#include <windows.h>

#include <exception>

#include "app/win32/form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/)
{
    try {
        morvane::app::Form1 form(instance);
        return form.Run();
    } catch (const std::exception& error) {
        // A window program has no console to write to.
        MessageBoxA(nullptr, error.what(), "morvane", MB_ICONERROR | MB_OK);
        return EXIT_FAILURE;
    }
}
