# tracelink_add_test(NAME [QT_MAIN] SOURCES src... LIBS lib...)
# One GoogleTest executable, registered test by test with CTest. Widget tests run on
# Qt's offscreen platform so that no display is needed; QT_MAIN gives them a main()
# that creates the QApplication first.
function(tracelink_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT_MAIN)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/qt_test_main.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test GTest::gtest)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set_property(GLOBAL APPEND PROPERTY TRACELINK_TEST_PROGRAMS "$<TARGET_FILE:${name}>")
  # A cross build lists its tests when ctest runs, not while building: listing them would
  # start the emulator for every program.
  if(CMAKE_CROSSCOMPILING)
    set(discovery PRE_TEST)
  else()
    set(discovery POST_BUILD)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE ${discovery}
    # Two single-valued properties: gtest_discover_tests flattens a list value, which
    # would drop every variable after the first.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "TRACELINK_BINARY_DIR=set:${PROJECT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# Writes the paths of every test program into FILE, one a line, for scripts that run them
# without ctest (scripts/windows-check under Wine). Called once every test is added.
function(tracelink_write_test_list file)
  get_property(programs GLOBAL PROPERTY TRACELINK_TEST_PROGRAMS)
  list(JOIN programs "\n" content)
  file(GENERATE OUTPUT ${file} CONTENT "${content}\n")
endfunction()

# tracelink_add_bench(NAME SOURCES src... LIBS lib...)
# Benchmarks are built with everything else and run by hand (see README).
function(tracelink_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
endfunction()
