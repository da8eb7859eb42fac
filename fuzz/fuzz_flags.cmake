# The fuzz build: libFuzzer's coverage instrumentation and the sanitizers on every library of
# the project, so a fault deep in the core is both found and reported where it happens.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MORVANE_BUILD_FUZZ needs clang++ (libFuzzer is clang's): "
                      "configure with -DCMAKE_CXX_COMPILER=clang++-14")
endif()
# clang's undefined group already holds float-cast-overflow; it is named anyway, since an
# out-of-range float-to-integer conversion is the fault this build most wants to hear of.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
                    -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
