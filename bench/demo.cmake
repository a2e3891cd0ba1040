# Cloth benchmarks: the step, the mesh pass and construction (Google Benchmark).
add_executable(bench_cloth ${CMAKE_CURRENT_LIST_DIR}/bench_cloth.cpp)
target_link_libraries(bench_cloth PRIVATE drapoapp benchmark::benchmark benchmark::benchmark_main)
kt_warnings(bench_cloth)

# The frame programs, each drawing in a window (run them through scripts/with-xvfb.sh):
# - bench_frames: drapo's frame rate through its own display and idle callbacks;
# - bench_bare_frames: its floor, the same frames sent from precomputed arrays;
# - bench_paired_frames: both kinds of frames alternated in blocks within one process;
# - bench_frame_work: drapo's own work timed part by part inside real frames.
# scripts/bench-frames.sh runs the first three.
foreach(program bench_frames bench_bare_frames bench_paired_frames bench_frame_work)
  add_executable(${program} ${CMAKE_CURRENT_LIST_DIR}/${program}.cpp)
  target_link_libraries(${program} PRIVATE drapoapp)
  kt_warnings(${program})
endforeach()
