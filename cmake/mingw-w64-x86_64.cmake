# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the "posix" thread
# model, which std::thread and std::mutex need). Programs are linked statically,
# so they run on Windows and under wine without the compiler's DLLs; ctest runs
# them through wine.
#   cmake -S . -B build-win -G Ninja -DPCZN_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(PCZN_WINE NAMES wine wine64)
if(PCZN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PCZN_WINE})
endif()
