# Cross-compiling for a foreign Debian architecture with Debian's multiarch:
# the crossbuild-essential compilers, the architecture's development packages
# installed beside the host's (scripts/install-deps --arch ARCH), programs run
# by qemu-user without binfmt. Included by the files of each architecture after
# they set PCZN_DEB_ARCH, PCZN_TRIPLET, PCZN_QEMU and CMAKE_SYSTEM_PROCESSOR.
#
# Debian's Qt 6 for the architecture imports its host tools (moc, rcc) from
# /usr/lib/qt6/libexec, which qt6-base-dev-tools (Multi-Arch: foreign) fills
# with the host's own programs: no QT_HOST_PATH is needed, and the build uses
# none (the headless parts run no moc).
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${PCZN_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PCZN_TRIPLET}-g++)
set(CMAKE_STRIP ${PCZN_TRIPLET}-strip CACHE FILEPATH "the architecture's strip, for the package")
set(CMAKE_LIBRARY_ARCHITECTURE ${PCZN_TRIPLET})

# Libraries, headers and CMake packages of the architecture only: its
# multiarch folders below /usr, never the host's (programs stay the host's).
set(CMAKE_FIND_ROOT_PATH /usr/${PCZN_TRIPLET})
set(CMAKE_PREFIX_PATH /usr/lib/${PCZN_TRIPLET}/cmake)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# pkg-config reads the architecture's .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${PCZN_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# ctest runs the tests, and the tests their child programs, through qemu-user.
# Without -L: the architecture's own C library (libc6:ARCH, which its Qt
# brings) puts its loader at /lib/ld-linux-*.so, where the programs look for
# it. With -L /usr/TRIPLET the cross toolchain's loader (libc6-ARCH-cross,
# another build of glibc) would load the multiarch libc.so.6, and the two
# disagree: the first thread a program starts hangs (arm64) or crashes (armhf).
find_program(PCZN_QEMU_PROGRAM ${PCZN_QEMU})
if(PCZN_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PCZN_QEMU_PROGRAM})
endif()
