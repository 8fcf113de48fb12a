# Helpers shared by every folder of the project.

# Adds every folder directly below the current one that has a
# CMakeLists.txt, in name order: tools, benchmarks and fuzz targets each
# live in a folder of their own.
macro(marvik_add_subdirectories)
  file(GLOB _marvik_dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _marvik_dirs)
  foreach(_marvik_dir ${_marvik_dirs})
    if(IS_DIRECTORY ${_marvik_dir} AND EXISTS ${_marvik_dir}/CMakeLists.txt)
      add_subdirectory(${_marvik_dir})
    endif()
  endforeach()
endmacro()

# Strict warnings on one target.
function(marvik_enable_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Sanitizers for the whole build: "address,undefined" or "thread".
function(marvik_enable_sanitizers kinds)
  if(kinds STREQUAL "")
    return()
  endif()
  if(NOT kinds MATCHES "^(address,undefined|undefined,address|address|undefined|thread)$")
    message(FATAL_ERROR "SANITIZE must be address,undefined or thread, not '${kinds}'")
  endif()
  set(flags -fsanitize=${kinds} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${flags})
  add_link_options(${flags})
endfunction()

# With FUZZ=ON every object is instrumented for libFuzzer's coverage
# feedback, so that it sees the edges of the libraries under test and not
# only those of the harness. The fuzz targets themselves link -fsanitize=fuzzer.
function(marvik_enable_fuzzing)
  if(NOT FUZZ)
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FUZZ=ON needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endfunction()

# marvik_add_test(NAME SOURCES a.cpp... [LIBS lib...] [LABELS l...]
#                 [RESOURCE_LOCK lock...] [TIMEOUT s])
# A GoogleTest executable registered with CTest as one test per case.
function(marvik_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  marvik_enable_warnings(${name})
  set(props "")
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  if(T_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_TIMEOUT)
    list(APPEND props TIMEOUT ${T_TIMEOUT})
  else()
    list(APPEND props TIMEOUT 600)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# marvik_add_fuzzer(NAME SOURCES a.cpp... [LIBS lib...])
# With FUZZ=ON (clang) a libFuzzer binary; otherwise a replay program that
# runs LLVMFuzzerTestOneInput over the checked-in corpus fuzz/corpus/NAME,
# registered as a CTest test labelled "fuzz".
function(marvik_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/FuzzReplay.cpp)
    add_test(NAME replay_${name} COMMAND ${name} ${corpus})
    set_tests_properties(replay_${name} PROPERTIES LABELS fuzz TIMEOUT 600)
  endif()
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  marvik_enable_warnings(${name})
endfunction()
