# The Debian package, made by CPack from what `cmake --install` puts under /usr:
#   cmake -S . -B build/package -DCMAKE_INSTALL_PREFIX=/usr ... && cmake --build build/package
#   (cd build/package && cpack -G DEB)
# ./dev.sh package does exactly that. The libraries it needs are found by dpkg-shlibdeps from
# the programs themselves; the Python package's interpreter, numpy and matplotlib (which draws
# the figures, python3 -m morvane.figures) are named here, since the module does not link them.
include(GNUInstallDirs)

# A man page for each program: the lab's made by help2man from its own --help (and merge's),
# the window's written by hand, since the window program reads no command line.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(HELP2MAN AND GZIP AND TARGET morvane-lab)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  add_custom_command(
    OUTPUT ${man_dir}/morvane-lab.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/lab_man_page.sh $<TARGET_FILE:morvane-lab>
            ${PROJECT_VERSION} ${man_dir}/morvane-lab.1
    COMMAND ${GZIP} -9nf ${man_dir}/morvane-lab.1
    DEPENDS morvane-lab ${CMAKE_CURRENT_LIST_DIR}/lab_man_page.sh
    COMMENT "Writing the man page of morvane-lab")
  add_custom_command(
    OUTPUT ${man_dir}/morvane.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/morvane.1 > ${man_dir}/morvane.1.gz
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/morvane.1
    COMMENT "Packing the man page of morvane")
  add_custom_target(morvane_man_pages ALL
    DEPENDS ${man_dir}/morvane-lab.1.gz ${man_dir}/morvane.1.gz)
  install(FILES ${man_dir}/morvane-lab.1.gz ${man_dir}/morvane.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man or gzip not found: no man pages")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running ecosystem in one window, and its lab")
set(CPACK_PACKAGE_DESCRIPTION
  "Animals steer towards plants, eat them, seek a mate once well fed and breed;\n\
a newborn inherits its parents' mean speed and turning rate plus a random\n\
shift, so speed and agility evolve. A left click adds an animal, a right\n\
click a plant.\n\
.\n\
morvane-lab runs the same world headless, exactly, for as long as asked:\n\
statistics, ensembles of seeds (split into shards for a scheduler),\n\
lineage, selection, and checkpoints to continue or fork a world.\n\
The morvane Python package steps the world from Python, and draws the lab's\n\
tables as figures (python3 -m morvane.figures).")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Morvane developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
if(TARGET morvane_python)
  # The module is built for one minor version of Python 3, the one Debian's python3 is.
  math(EXPR python_next_minor "${Python_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), \
python3 (<< ${Python_VERSION_MAJOR}.${python_next_minor}), python3-numpy, python3-matplotlib")
endif()
include(CPack)
