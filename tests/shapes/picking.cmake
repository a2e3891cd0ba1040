# Picking and the shape record.
kt_add_test(NAME test_pick SOURCES test_pick.cpp)

# The record tests also replay every input in tests/fuzz/regressions and the seed corpus through
# the same checks the fuzzer applies.
kt_add_test(NAME test_record
  SOURCES test_record.cpp test_record_regressions.cpp ${PROJECT_SOURCE_DIR}/tests/fuzz/ktRecordCheck.cpp)
target_compile_definitions(test_record PRIVATE KT_FUZZ_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/fuzz")

# Picking on window positions produced by a real draw, checked against the rasterised pixels.
kt_add_test(NAME test_pick_draw GL SOURCES test_pick_draw.cpp)

# Every allocation of building, enabling, indexing and reading failed in turn.
kt_add_test(NAME test_alloc_failure
  SOURCES test_alloc_failure.cpp ${PROJECT_SOURCE_DIR}/tests/fuzz/ktRecordCheck.cpp
  ${PROJECT_SOURCE_DIR}/tests/fuzz/ktShapeProgram.cpp
  LIBS kt_failing_alloc)

# The shape-program fuzzer's findings and seeds, replayed through its checks.
kt_add_test(NAME test_shape_program_replay
  SOURCES test_shape_program_replay.cpp ${PROJECT_SOURCE_DIR}/tests/fuzz/ktShapeProgram.cpp
  ${PROJECT_SOURCE_DIR}/tests/fuzz/ktRecordCheck.cpp
  LIBS kt_failing_alloc)
target_compile_definitions(test_shape_program_replay PRIVATE KT_FUZZ_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/fuzz")
