# Tools for the soak and memory runs (scripts/soak.sh), included by tests/CMakeLists.txt.
# kt_swapcount: LD_PRELOAD library that counts the frames (buffer swaps) of an unmodified GLUT program
# into the file named by KT_SWAPCOUNT_FILE. Built without sanitizers in every build: it is preloaded
# into programs, where an instrumented copy would have to come after the sanitizer runtime.
add_library(kt_swapcount MODULE ${CMAKE_CURRENT_LIST_DIR}/swapcount.c)
set_target_properties(kt_swapcount PROPERTIES PREFIX "lib" C_STANDARD 11 C_EXTENSIONS ON)
target_compile_options(kt_swapcount PRIVATE -Wall -Wextra -fno-sanitize=all)
target_link_options(kt_swapcount PRIVATE -fno-sanitize=all)
target_link_libraries(kt_swapcount PRIVATE ${CMAKE_DL_LIBS})
