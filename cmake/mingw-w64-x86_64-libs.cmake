# The Windows build with the program: our mingw-w64 toolchain, and the Qt and
# SQLite for Windows that scripts/build-qt-windows and scripts/build-sqlite-windows
# put in a cache outside the clone. PCZN_WINDOWS_LIBS names their folders:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-libs.cmake \
#         "-DPCZN_WINDOWS_LIBS=<qt prefix>;<sqlite prefix>" -DQT_HOST_PATH=/usr \
#         -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DPCZN_HOST_MAKE_PICTURES=...
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH ${PCZN_WINDOWS_LIBS})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PCZN_WINDOWS_LIBS)
