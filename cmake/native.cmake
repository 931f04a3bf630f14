# Native build: the core's unit tests (with sanitizers), tvxtool and the benchmarks.
option(TAVRIX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(TAVRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS tests/core/*.cpp)
add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE tavrix_core GTest::gtest_main)
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS tools/*.cpp)
if(TOOL_SOURCES)
  add_executable(tvxtool ${TOOL_SOURCES})
  target_link_libraries(tvxtool PRIVATE tavrix_core)
  add_test(NAME tvxtool COMMAND bash ${CMAKE_SOURCE_DIR}/tests/core/tvxtool_test.sh $<TARGET_FILE:tvxtool>)
endif()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/native/*.cpp)
if(BENCH_SOURCES AND NOT TAVRIX_SANITIZE)
  find_package(benchmark REQUIRED)
  add_executable(core_bench ${BENCH_SOURCES})
  target_link_libraries(core_bench PRIVATE tavrix_core benchmark::benchmark_main)
endif()
