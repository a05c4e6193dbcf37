# CMake toolchain for the board: arm64 Debian, built with Debian's cross
# compiler (crossbuild-essential-arm64) against the multiarch arm64 Qt
# packages (qtbase5-dev:arm64).  moc, uic and rcc are the build machine's
# own (qtbase5-dev-tools).  Programs run under qemu-user: try_run, ctest.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The arm64 libraries live in the build machine's own /usr/lib/aarch64-linux-gnu,
# so there is no separate sysroot; build tools are looked up on the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

find_program(KESTA_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64)
if(KESTA_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTA_QEMU_AARCH64})
endif()
