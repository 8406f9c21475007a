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

# tyazhar_test(<name> SOURCES ... LIBS ... [GUI])
# A GoogleTest program run by ctest. Every test case gets its own temporary
# folder with the registry, XDG folders and HOME redirected into it, and the
# locale forms pinned (tests/support/test_main.cpp). GUI tests run offscreen.
function(tyazhar_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE tyazhar_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE tyazhar_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  tyazhar_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
               TIMEOUT 300)
endfunction()
