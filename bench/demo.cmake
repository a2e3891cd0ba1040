# Cloth benchmarks: the step, the mesh pass and construction (Google Benchmark), and a frame-rate
# program that drives drapo's own display and idle callbacks (run it through scripts/with-xvfb.sh).
add_executable(bench_cloth ${CMAKE_CURRENT_LIST_DIR}/bench_cloth.cpp)
target_link_libraries(bench_cloth PRIVATE drapoapp benchmark::benchmark benchmark::benchmark_main)
kt_warnings(bench_cloth)

add_executable(bench_frames ${CMAKE_CURRENT_LIST_DIR}/bench_frames.cpp)
target_link_libraries(bench_frames PRIVATE drapoapp)
kt_warnings(bench_frames)

# The floor for bench_frames: the same frames sent from precomputed arrays (scripts/bench-frames.sh).
add_executable(bench_bare_frames ${CMAKE_CURRENT_LIST_DIR}/bench_bare_frames.cpp)
target_link_libraries(bench_bare_frames PRIVATE drapoapp)
kt_warnings(bench_bare_frames)

# drapo's frames and the bare frames alternated in blocks within one process (scripts/bench-frames.sh).
add_executable(bench_paired_frames ${CMAKE_CURRENT_LIST_DIR}/bench_paired_frames.cpp)
target_link_libraries(bench_paired_frames PRIVATE drapoapp)
kt_warnings(bench_paired_frames)

# drapo's own work timed part by part inside real frames (scripts/with-xvfb.sh).
add_executable(bench_frame_work ${CMAKE_CURRENT_LIST_DIR}/bench_frame_work.cpp)
target_link_libraries(bench_frame_work PRIVATE drapoapp)
kt_warnings(bench_frame_work)
