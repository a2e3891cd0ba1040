# Shape model, mesh and normals need no display; drawing runs in a real OpenGL context.
kt_add_test(NAME shapes_model SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/test_ktShapeModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_ktMeshShape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_ktShapeNormals.cpp)
kt_add_test(NAME shapes_draw GL SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_ktShapeDraw.cpp)
# Drawing damaged and hostile shapes in a real OpenGL context, checked in feedback mode.
kt_add_test(NAME shapes_hostile_draw GL SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_hostile_draw.cpp
  ${PROJECT_SOURCE_DIR}/tests/fuzz/ktRecordCheck.cpp)
