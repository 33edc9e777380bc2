// ThisMachine on Linux: gethostname and inet_pton.
#include "bridge/ThisMachine.h"

#include <arpa/inet.h>
#include <unistd.h>

std::string ThisMachineName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

bool IsLoopbackAddress(const std::string& host) {
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}
