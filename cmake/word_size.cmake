# On 32-bit x86 doubles are computed with SSE2, as on x86-64, so both builds give the same
# results: the x87's 80-bit intermediates round differently (0.03 x 1000 truncates to 29 there).
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# File sizes, inode numbers, directory offsets and times take 64 bits on a 32-bit build too: with
# 32-bit ones, large volumes, files and directories fail with EOVERFLOW and the clock ends in 2038.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_definitions(_FILE_OFFSET_BITS=64 _TIME_BITS=64)
endif()

if(NOT TOVRA_32BIT)
  return()
endif()
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(FATAL_ERROR "TOVRA_32BIT: the compiler does not build 32-bit programs (gcc-multilib?)")
endif()
# The 64-bit desktop libraries and benchmark library cannot link here; GoogleTest is built from
# the sources Debian ships.
set(TOVRA_GTK OFF)
set(TOVRA_BENCH OFF)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# A kernel without IA-32 emulation runs no 32-bit program: the tests then run under qemu-i386.
execute_process(COMMAND /lib/ld-linux.so.2 --version
                RESULT_VARIABLE TOVRA_NATIVE_32BIT OUTPUT_QUIET ERROR_QUIET)
if(NOT TOVRA_NATIVE_32BIT EQUAL 0)
  find_program(TOVRA_QEMU_I386 qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVRA_QEMU_I386})
endif()
