# Project-wide helpers: warnings, sanitizers and the test wrapper.

if(TYAZHAR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own targets compile without warnings; third-party headers come in as
# system headers and are not our concern.
function(tyazhar_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TYAZHAR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tyazhar_library(<name> SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# A static library whose headers are included as "platform/table/client_dataset.h"
# and so on, relative to the source root.
function(tyazhar_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  tyazhar_warnings(${name})
endfunction()

# tyazhar_test(<name> SOURCES ... LIBS ... [GUI] [LABEL <label> [LABEL_FILTER <gtest filter>]])
# A GoogleTest program run by ctest. Every test case gets its own temporary
# folder with the registry, XDG folders and HOME redirected into it, and the
# locale forms pinned (tests/support/test_main.cpp). GUI tests run offscreen.
# The LABEL goes to every test of the program (ctest -L), or with a
# LABEL_FILTER ("PrintRequests.*") to the tests it selects. The label "locale"
# marks the tests of numbers and texts between the tables, the printouts and
# the files, which the test command runs under several locales
# (scripts/test.sh).
function(tyazhar_test name)
  cmake_parse_arguments(ARG "GUI" "LABEL;LABEL_FILTER" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE tyazhar_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE tyazhar_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  tyazhar_warnings(${name})
  if(ARG_LABEL AND ARG_LABEL_FILTER)
    tyazhar_discover_tests(${name} TIMEOUT 300 LABEL ${ARG_LABEL} FILTER "${ARG_LABEL_FILTER}")
    tyazhar_discover_tests(${name} TIMEOUT 300 FILTER "-${ARG_LABEL_FILTER}")
  else()
    tyazhar_discover_tests(${name} TIMEOUT 300 LABEL "${ARG_LABEL}")
  endif()
endfunction()

# tyazhar_discover_tests(<target> TIMEOUT <seconds> [LABEL <label>] [FILTER <gtest filter>])
# The tests of a GoogleTest program (those the filter selects) as ctest
# tests, run offscreen. The discovery hands the properties on as one flat
# list, so no value may hold a list of its own: a second environment variable
# would shift every property after it (ASAN_OPTIONS comes from the test
# command).
function(tyazhar_discover_tests target)
  cmake_parse_arguments(ARG "" "TIMEOUT;LABEL;FILTER" "" ${ARGN})
  set(properties ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABEL)
    list(APPEND properties LABELS ${ARG_LABEL})
  endif()
  set(filter)
  if(ARG_FILTER)
    set(filter TEST_FILTER "${ARG_FILTER}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 ${filter} PROPERTIES ${properties})
endfunction()
