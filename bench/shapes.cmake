# Shape benchmarks. The draw benchmarks need a window (run under scripts/with-xvfb.sh); they are
# built only when the test support library is there.
add_executable(bench_shapes ${CMAKE_CURRENT_LIST_DIR}/bench_shapes.cpp)
target_link_libraries(bench_shapes PRIVATE ktframework benchmark::benchmark)
if(TARGET kt_test_support)
  target_link_libraries(bench_shapes PRIVATE kt_test_support)
  target_compile_definitions(bench_shapes PRIVATE KT_BENCH_GL)
endif()
kt_warnings(bench_shapes)
