// ThisMachine on Windows: the computer's DNS host name, and Winsock's
// inet_pton (Winsock started once for it; the MQTT library starts it too).
#include "bridge/ThisMachine.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

void StartWinsockOnce() {
  static const int started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  (void)started;
}

}  // namespace

std::string ThisMachineName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size)) return "";
  return std::string(name, size);
}

bool IsLoopbackAddress(const std::string& host) {
  StartWinsockOnce();
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}
