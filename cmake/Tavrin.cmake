# Build logic shared by every target of the suite: flags, output folders, the IDL compiler,
# GoogleTest and the ctest registration of C++ and script tests.

option(TAVRIN_WERROR "Treat compiler warnings as errors" OFF)

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")

# The runner scripts read the architecture of a build folder from here.
file(WRITE ${CMAKE_BINARY_DIR}/tavrin-arch ${CMAKE_SYSTEM_PROCESSOR})

set(TAVRIN_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVRIN_WINE_RUN} ${CMAKE_BINARY_DIR})

# Everything is built for Windows XP, the oldest host the toolchain's runtime supports, so that no
# newer API slips into a deliverable unnoticed (newer ones are bound at run time where they help);
# tests may use what Windows 7 has.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
set(TAVRIN_HOST_VERSION_XP _WIN32_WINNT=0x0501 WINVER=0x0501)
set(TAVRIN_HOST_VERSION_TESTS _WIN32_WINNT=0x0601 WINVER=0x0601)
include_directories(${CMAKE_SOURCE_DIR})

# Warnings on everywhere; binaries carry their own runtime (no MinGW DLLs beside them).
function(tavrin_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unknown-pragmas -Wno-cast-function-type)
  get_target_property(tavrin_host_version ${target} TAVRIN_HOST_VERSION)
  if(NOT tavrin_host_version)
    target_compile_definitions(${target} PRIVATE ${TAVRIN_HOST_VERSION_XP})
  endif()
  if(TAVRIN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

# A deliverable (shipped beside the program): also answers the runtime's imports that older hosts
# lack (common/older_hosts.cpp).
function(tavrin_deliverable target)
  tavrin_target(${target})
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/common/older_hosts.cpp)
endfunction()

# The IDL compiler's options for this build's architecture (callers add their own outputs).
set(TAVRIN_IDL_INCLUDES -I/usr/include/wine/wine/windows -I/usr/include/wine/windows)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(TAVRIN_WIDL_ARCH -m64)
else()
  set(TAVRIN_WIDL_ARCH -m32)
endif()

# GoogleTest from the distribution's sources, built with the project's compilers.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()

# The Wine prefix of this build folder, created once and with our COM servers registered;
# every test that runs Windows code needs it.
add_test(NAME prefix.setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/prefix ${CMAKE_BINARY_DIR})
set_tests_properties(prefix.setup PROPERTIES FIXTURES_SETUP wineprefix)

# One GoogleTest executable = one ctest entry (each Wine start costs seconds):
#   tavrin_add_gtest(name SOURCES ... [LIBS ...] [ENV VAR=value ...] [WINDOWS])
# WINDOWS marks a test that shows windows or message boxes: such tests take the display one at
# a time, so that focus and keys never go to another test's window.
function(tavrin_add_gtest name)
  cmake_parse_arguments(T "WINDOWS" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES TAVRIN_HOST_VERSION tests)
  target_compile_definitions(${name} PRIVATE ${TAVRIN_HOST_VERSION_TESTS})
  tavrin_target(${name})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix TIMEOUT 600)
  if(T_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
  if(T_WINDOWS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK xdisplay)
  endif()
endfunction()

# A VBScript or JScript test run by the script host in the prefix:
#   tavrin_add_script_test(file [ENV VAR=value ...] [WILL_FAIL])
function(tavrin_add_script_test file)
  cmake_parse_arguments(T "WILL_FAIL" "" "ENV" ${ARGN})
  get_filename_component(abs ${file} ABSOLUTE)
  get_filename_component(name ${file} NAME)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "." prefix ${rel})
  set(test script.${prefix}.${name})
  add_test(NAME ${test} COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-script ${CMAKE_BINARY_DIR} ${abs})
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wineprefix TIMEOUT 300)
  if(T_ENV)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
  if(T_WILL_FAIL)
    set_tests_properties(${test} PROPERTIES WILL_FAIL TRUE)
  endif()
endfunction()

# A test of pure code (no platform types) built for this machine with the address and
# undefined-behaviour sanitisers, next to its Windows build:
#   tavrin_add_native_test(name SOURCES a.cpp b.cpp [INCLUDES dir ...] [DEPENDS file ...])
# Sources are relative to the calling folder or absolute.
set(TAVRIN_NATIVE_GTEST /usr/src/googletest/googletest)
function(tavrin_add_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;INCLUDES;DEPENDS" ${ARGN})
  set(sources)
  foreach(s IN LISTS T_SOURCES)
    get_filename_component(abs ${s} ABSOLUTE)
    list(APPEND sources ${abs})
  endforeach()
  set(includes -I${CMAKE_SOURCE_DIR} -I${TAVRIN_NATIVE_GTEST}/include -I${TAVRIN_NATIVE_GTEST})
  foreach(i IN LISTS T_INCLUDES)
    list(APPEND includes -I${i})
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/native/${name})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/native)
  add_custom_command(OUTPUT ${out}
    COMMAND g++ -std=c++17 -O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all ${includes}
            ${sources} ${TAVRIN_NATIVE_GTEST}/src/gtest-all.cc ${TAVRIN_NATIVE_GTEST}/src/gtest_main.cc
            -lpthread -o ${out}
    DEPENDS ${sources} ${T_DEPENDS}
    COMMENT "${name} for this machine, with sanitisers")
  add_custom_target(${name}_native ALL DEPENDS ${out})
  add_test(NAME ${name}.native COMMAND ${out} --gtest_brief=1)
endfunction()

# A libFuzzer target over pure code, built for this machine with clang and the address and
# undefined-behaviour sanitisers. It starts from the seeds in any SEEDS folders and in
# fuzz_seeds/<name>/ beside the calling CMakeLists.txt, which it only reads; what it learns goes
# to the build folder's fuzz/corpus/<name>/, an input that fails to fuzz/<name>-crash-<hash>.
#   tavrin_add_fuzz_target(name SOURCES a.cpp b.cpp [INCLUDES dir ...] [SEEDS dir ...])
# Every test run fuzzes each target for TAVRIN_FUZZ_SECONDS, so a regression shows; scripts/fuzz
# runs the same commands for longer.
set(TAVRIN_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in a test run")
function(tavrin_add_fuzz_target name)
  cmake_parse_arguments(T "" "" "SOURCES;INCLUDES;SEEDS" ${ARGN})
  set(flags -std=c++17 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
  if(TAVRIN_WERROR)
    list(APPEND flags -Werror)
  endif()
  set(includes -I${CMAKE_SOURCE_DIR})
  foreach(i IN LISTS T_INCLUDES)
    list(APPEND includes -I${i})
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/fuzz)
  set(out ${dir}/${name})
  file(MAKE_DIRECTORY ${dir}/corpus/${name} ${dir}/objects/${name})
  # One object per source, each with the headers it includes as dependencies.
  set(objects)
  foreach(s IN LISTS T_SOURCES)
    get_filename_component(abs ${s} ABSOLUTE)
    get_filename_component(stem ${s} NAME_WE)
    set(object ${dir}/objects/${name}/${stem}.o)
    add_custom_command(OUTPUT ${object}
      COMMAND clang++ ${flags} ${includes} -MD -MF ${object}.d -c ${abs} -o ${object}
      DEPENDS ${abs}
      DEPFILE ${object}.d
      COMMENT "${stem}.cpp for the fuzz target ${name}")
    list(APPEND objects ${object})
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND clang++ ${flags} ${objects} -o ${out}
    DEPENDS ${objects}
    COMMENT "fuzz target ${name} for this machine")
  add_custom_target(${name}_fuzz ALL DEPENDS ${out})
  set(seeds ${T_SEEDS})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_seeds/${name})
    list(APPEND seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_seeds/${name})
  endif()
  # -timeout: an input that takes this long is a hang, and fails the run as a crash does.
  add_test(NAME fuzz.${name}
    COMMAND ${out} -max_total_time=${TAVRIN_FUZZ_SECONDS} -timeout=10 -print_final_stats=1
            -artifact_prefix=${dir}/${name}- ${dir}/corpus/${name} ${seeds})
  math(EXPR limit "${TAVRIN_FUZZ_SECONDS} * 3 + 60")
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endfunction()
