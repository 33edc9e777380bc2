#include "tests/support/FreePort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

int FreeTcpPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("no free TCP port on 127.0.0.1");
  }
  close(fd);
  return ntohs(address.sin_port);
}

bool AcceptsConnections(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_in address = Loopback(port);
  const bool accepted = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return accepted;
}

bool ListensOn(int port) {
  // Lines of /proc/net/tcp: "sl local_address rem_address st ...", addresses as
  // hex "0100007F:1F90"; state 0A is LISTEN.
  char loopback[32];
  char any[32];
  std::snprintf(loopback, sizeof loopback, "0100007F:%04X", port);
  std::snprintf(any, sizeof any, "00000000:%04X", port);
  std::ifstream table("/proc/net/tcp");
  std::string slot, local, remote, state;
  std::string rest;
  std::getline(table, rest);  // the heading
  while (table >> slot >> local >> remote >> state) {
    std::getline(table, rest);
    if (state == "0A" && (local == loopback || local == any)) return true;
  }
  return false;
}
