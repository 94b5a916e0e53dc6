# Small helpers so that every subsystem declares its targets the same way.

# tavemo_warnings(target): the warning set every target of ours compiles with.
function(tavemo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# tavemo_app_executable(target): put an executable into the application directory build/app/.
function(tavemo_app_executable target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVEMO_APP_DIR})
  tavemo_warnings(${target})
endfunction()

# tavemo_sanitizer_environment(var): `env` with the sanitizer settings every program we run under
# test gets (the programs a test starts inherit them): leaks are errors, except those of system
# libraries listed in cmake/lsan.supp.
function(tavemo_sanitizer_environment var)
  set(${var} /usr/bin/env
      "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1" PARENT_SCOPE)
endfunction()

# tavemo_add_test(NAME name SOURCES ... LIBS ... [QT] [APPLICATION]): a GoogleTest suite registered
# with CTest, test by test. QT runs it on the offscreen platform so widget tests need no display;
# APPLICATION gives it the main of tests/ApplicationMain.cpp (an application object set up as the
# program sets itself up) instead of GoogleTest's.
function(tavemo_add_test)
  cmake_parse_arguments(T "QT;APPLICATION" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_APPLICATION)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/ApplicationMain.cpp)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tavemo_drawing Qt6::Widgets GTest::gtest GTest::gmock)
    set(T_QT ON)
  else()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    TAVEMO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    TAVEMO_APP_DIR="${TAVEMO_APP_DIR}")
  tavemo_warnings(${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  # The environment travels as the test executor (env VAR=… program): the PROPERTIES of
  # gtest_discover_tests flatten a list-valued ENVIRONMENT down to its first entry.
  tavemo_sanitizer_environment(env)
  if(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${env}")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# tavemo_add_bench(NAME name SOURCES ... LIBS ...): a Google Benchmark program.
function(tavemo_add_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_include_directories(${B_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/bench) # BenchSupport.h
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  tavemo_warnings(${B_NAME})
endfunction()

# tavemo_add_fuzzer(NAME name SOURCES ... LIBS ...): a libFuzzer target in the fuzz build; in the
# test builds, a program of the same name that replays its corpus (corpus/<name> beside the
# target's CMakeLists.txt), registered as the test fuzz_replay_<name>.
function(tavemo_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(TAVEMO_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    return()
  endif()
  # The same target name, so that a fuzz folder's further settings apply in both builds.
  add_executable(${F_NAME} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/ReplayMain.cpp)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-replay)
  tavemo_warnings(${F_NAME})
  tavemo_sanitizer_environment(env)
  add_test(NAME fuzz_replay_${F_NAME}
    COMMAND ${env} QT_QPA_PLATFORM=offscreen $<TARGET_FILE:${F_NAME}> ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${F_NAME})
  set_tests_properties(fuzz_replay_${F_NAME} PROPERTIES TIMEOUT 300)
endfunction()
