# Cross-compiles the Windows build (64-bit) with Debian's mingw-w64, POSIX-threads variant:
#   cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolchain_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)

# Headers and libraries from the mingw-w64 tree only; programs (python3, Xvfb, wine) from
# the machine that runs the build and its tests.
set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The executables stand alone on any Windows: the C++ runtime, libgcc, winpthread and zlib
# are linked in, so nothing but the system's own DLLs is imported. zlib's import library would
# bring its DLL back, so its static archive is the one looked for.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Nobody debugs a Release executable from its symbol table, which is two thirds of its size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(ZLIB_USE_STATIC_LIBS ON)
