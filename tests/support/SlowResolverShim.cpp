// Test equipment, preloaded into the program under test (LD_PRELOAD):
// a resolver that holds the lookup of one name for as long as the test wants.
// PCZN_SLOW_NAME is the name, PCZN_SLOW_GATE a folder: a lookup of the name
// creates "asked" there and waits until the test creates "answer", then
// resolves the name as 127.0.0.1. Every other lookup passes through unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

using GetAddrInfoFunction = int (*)(const char*, const char*, const addrinfo*, addrinfo**);

void Touch(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) close(fd);
}

void WaitForFile(const std::string& path) {
  const timespec step{0, 50'000'000};
  while (access(path.c_str(), F_OK) != 0) nanosleep(&step, nullptr);
}

bool IsHeldName(const char* node) {
  const char* held = std::getenv("PCZN_SLOW_NAME");
  return node != nullptr && held != nullptr && std::strcmp(node, held) == 0 && std::getenv("PCZN_SLOW_GATE") != nullptr;
}

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
  static const auto real = reinterpret_cast<GetAddrInfoFunction>(dlsym(RTLD_NEXT, "getaddrinfo"));
  if (!IsHeldName(node)) return real(node, service, hints, result);
  const std::string gate = std::getenv("PCZN_SLOW_GATE");
  Touch(gate + "/asked");
  WaitForFile(gate + "/answer");
  return real("127.0.0.1", service, hints, result);
}
