# Tests: GoogleTest from Debian's sources (/usr/src/googletest), built with the build's own
# compiler so that the win32 build gets Windows test executables. ctest runs those under Wine
# through scripts/wine-run.sh (the cross-compiling emulator).
enable_testing()

set(ORVEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${ORVEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

if(ORVEL_WIN32)
  set(ORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh --prefix ${ORVEL_WINEPREFIX})
endif()

# orvel_add_test(<name> SOURCES <files...> [LIBRARIES <targets...>])
# One test executable, registered with ctest as one test.
function(orvel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} orvel_engine_includes GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
