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

# orvel_add_fuzzer(<name> SOURCES <files...> [LIBRARIES <targets...>] [CORPUS <folder>])
# A libFuzzer target (LLVMFuzzerTestOneInput) in ORVEL_FUZZ builds, registered with ctest as a
# short run (ORVEL_FUZZ_SECONDS, 10 by default) over its corpus; longer runs: run the executable.
set(ORVEL_FUZZ_SECONDS 10 CACHE STRING "Length of the fuzz runs in the test suite")
function(orvel_add_fuzzer name)
  if(NOT ORVEL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} orvel_engine_includes)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  set(seeds "")
  if(ARG_CORPUS)
    set(seeds ${ARG_CORPUS})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   $<TARGET_FILE:${name}> -max_total_time=${ORVEL_FUZZ_SECONDS} -print_final_stats=0 ${corpus} ${seeds})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  file(MAKE_DIRECTORY ${corpus})
endfunction()
