# libmosquitto for Windows as scripts/build-mosquitto-windows makes it: the
# static client library with TLS through a static OpenSSL, found in the
# folders of PCZN_WINDOWS_LIBS (the toolchain file makes them find roots).
# Defines Mosquitto::Windows when it is there; without it the bridge is not built.
find_path(PCZN_MOSQUITTO_INCLUDE mosquitto.h)
find_library(PCZN_MOSQUITTO_LIBRARY mosquitto_static)
find_library(PCZN_OPENSSL_SSL_LIBRARY NAMES libssl.a ssl)
find_library(PCZN_OPENSSL_CRYPTO_LIBRARY NAMES libcrypto.a crypto)
if(NOT PCZN_MOSQUITTO_INCLUDE OR NOT PCZN_MOSQUITTO_LIBRARY OR NOT PCZN_OPENSSL_SSL_LIBRARY
   OR NOT PCZN_OPENSSL_CRYPTO_LIBRARY)
  message(STATUS "libmosquitto for Windows not found: the bridge is not built")
  return()
endif()
add_library(Mosquitto::Windows INTERFACE IMPORTED GLOBAL)
target_include_directories(Mosquitto::Windows INTERFACE ${PCZN_MOSQUITTO_INCLUDE})
# The header's declarations without dllimport, for the static library.
target_compile_definitions(Mosquitto::Windows INTERFACE LIBMOSQUITTO_STATIC)
# In link order: the library, OpenSSL, then the system's sockets, the
# certificate store and GDI that OpenSSL's random source calls.
target_link_libraries(Mosquitto::Windows INTERFACE ${PCZN_MOSQUITTO_LIBRARY} ${PCZN_OPENSSL_SSL_LIBRARY}
                      ${PCZN_OPENSSL_CRYPTO_LIBRARY} ws2_32 crypt32 gdi32 Threads::Threads)
