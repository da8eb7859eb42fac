# The Windows build's checks, run on this machine: Morvane.exe's version record and imports
# read back from the file, the real window under Wine on a private X display, and its world
# against the Linux one. (storm_window_test.py --wine runs too, but under Wine the storm's flood
# of input costs the window a fifth of its ticks while it lasts, which its rate check counts.)
# They borrow two programs from a native Release build of the same tree: morvane-lab, whose
# world they compare with, and morvane_wm_close, which closes the window as a window manager
# would.
set(MORVANE_NATIVE_BUILD ${PROJECT_SOURCE_DIR}/build/release CACHE PATH
  "A native Release build of this tree, for the Windows checks' morvane-lab and morvane_wm_close")
# Debian's own python3, for which Debian packages pefile; another first on the PATH may lack it.
find_program(MORVANE_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# A console program that runs a seeded world with scripted releases and prints its hashes.
add_executable(morvane_world_run world_run.cpp)
target_link_libraries(morvane_world_run PRIVATE morvane_core)

add_test(NAME morvane_windows_exe_file
  COMMAND ${MORVANE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/windows_exe_test.py
          $<TARGET_FILE:morvane>)
add_test(NAME morvane_windows_world_hash
  COMMAND ${MORVANE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/world_hash_test.py
          $<TARGET_FILE:morvane_world_run> ${MORVANE_NATIVE_BUILD}/lab/morvane-lab)
add_test(NAME morvane_windows_window_e2e
  COMMAND ${MORVANE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/e2e_window_test.py --wine
          $<TARGET_FILE:morvane> ${MORVANE_NATIVE_BUILD}/tests/app/morvane_wm_close)
set_tests_properties(morvane_windows_exe_file PROPERTIES LABELS windows TIMEOUT 60)
# Wine's first start in a fresh prefix takes a while; one at a time, as each starts its own.
set_tests_properties(morvane_windows_world_hash PROPERTIES LABELS windows TIMEOUT 600
  RUN_SERIAL TRUE)
set_tests_properties(morvane_windows_window_e2e PROPERTIES LABELS "windows;e2e" TIMEOUT 600
  RUN_SERIAL TRUE)
