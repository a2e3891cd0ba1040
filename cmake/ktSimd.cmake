# The instruction sets of the wide kernels.
# - KT_SIMD=OFF: the plain-path build. The lane type is a plain float array (KT_LANES_PLAIN=1, public,
#   so every user of the headers sees the same type) and no wide kernel is compiled (KT_SIMD_WIDE=0).
# - KT_SIMD=ON on x86-64: SSE2 lanes, and the AVX2 / AVX-512F kernels beside the baseline code
#   (KT_SIMD_WIDE=1), chosen at run time (math/ktSimd.h). Elsewhere: no wide kernels.
option(KT_SIMD "SIMD lanes and run-time chosen AVX2 / AVX-512F kernels" ON)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(KT_X86_64 ON)
else()
  set(KT_X86_64 OFF)
endif()
if(KT_SIMD AND KT_X86_64)
  set(KT_SIMD_WIDE ON)
else()
  set(KT_SIMD_WIDE OFF)
endif()

# kt_simd_definitions(<target>): the definitions above, public on the target.
function(kt_simd_definitions target)
  if(NOT KT_SIMD)
    target_compile_definitions(${target} PUBLIC KT_LANES_PLAIN=1)
  endif()
  if(KT_SIMD_WIDE)
    target_compile_definitions(${target} PUBLIC KT_SIMD_WIDE=1)
  else()
    target_compile_definitions(${target} PUBLIC KT_SIMD_WIDE=0)
  endif()
endfunction()

# kt_isa_sources(<target> <avx2|avx512> <files...>): adds kernel sources compiled for one instruction
# set, only in a build with wide kernels. Only these files get the flags. AVX2 kernels are built
# without fused multiply-add; AVX-512F brings it with it (clang drops AVX-512F under -mno-fma), so
# there -ffp-contract=off alone keeps every product and sum rounded on its own, and
# scripts/check-wide-isolation.sh proves that no kernel object holds a fused instruction.
function(kt_isa_sources target isa)
  if(isa STREQUAL "avx2")
    set(flags -mavx2 -mno-fma)
  elseif(isa STREQUAL "avx512")
    set(flags -mavx512f)
  else()
    message(FATAL_ERROR "kt_isa_sources: unknown instruction set '${isa}' (avx2 or avx512)")
  endif()
  if(NOT KT_SIMD_WIDE)
    return()
  endif()
  set(files "")
  foreach(file IN LISTS ARGN)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND files "${file}")
  endforeach()
  target_sources(${target} PRIVATE ${files})
  # Source properties belong to a directory: set them where the target was made.
  set_property(SOURCE ${files} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS ${flags})
endfunction()
