# 64-bit ARM (Raspberry Pi OS 64-bit, any arm64 Debian):
#   scripts/install-deps --arch arm64
#   cmake -S . -B build-arm64 -G Ninja -DPCZN_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PCZN_DEB_ARCH arm64)
set(PCZN_TRIPLET aarch64-linux-gnu)
set(PCZN_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/DebianMultiarch.cmake)
