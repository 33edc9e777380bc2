# 32-bit ARM with hardware floating point (Raspberry Pi OS 32-bit):
#   scripts/install-deps --arch armhf
#   cmake -S . -B build-armhf -G Ninja -DPCZN_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(PCZN_DEB_ARCH armhf)
set(PCZN_TRIPLET arm-linux-gnueabihf)
set(PCZN_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/DebianMultiarch.cmake)
