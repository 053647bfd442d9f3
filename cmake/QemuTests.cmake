# Unit tests of a cross-build run under qemu-user on the build machine.
#
# CMake runs every test program through CMAKE_CROSSCOMPILING_EMULATOR. The
# fork shim is preloaded there only: the programs themselves are the
# appliance's.
find_program(NEXA_QEMU_ARM qemu-arm REQUIRED)
add_library(qemu_fork_shim SHARED ${CMAKE_CURRENT_LIST_DIR}/qemu/fork_shim.c)
set_target_properties(qemu_fork_shim PROPERTIES
  OUTPUT_NAME fork_shim PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${NEXA_QEMU_ARM} -L /usr/arm-linux-gnueabihf
    -E LD_PRELOAD=${PROJECT_BINARY_DIR}/fork_shim.so)
