// ser2net-line: Debian's ser2net in front of one device, raw and with
// RFC 2217, for the tests of the Windows build under wine, which cannot start
// Linux programs themselves. ser2net opens the device only when a client
// connects, so the device may be a link that the test points elsewhere.
// Usage: ser2net-line FOLDER DEVICE; prints the raw port's name, then the
// RFC 2217 port's, once both listen; runs until SIGTERM or SIGINT, then stops ser2net.
#include <signal.h>

#include <iostream>
#include <string>

#include "tests/support/Ser2netServer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: ser2net-line FOLDER DEVICE\n";
    return 2;
  }
  if (!Ser2netServer::Installed()) {
    std::cerr << "ser2net-line: " << Ser2netServer::Program() << " is missing: run scripts/install-deps\n";
    return 1;
  }
  Ser2netServer server(argv[1]);
  const std::string raw = server.Serve(argv[2], Ser2netServer::Protocol::Raw);
  const std::string telnet = server.Serve(argv[2], Ser2netServer::Protocol::Rfc2217);
  if (!server.Start()) return 1;
  // Blocked only now: ser2net, started above, keeps the default handling.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  std::cout << raw << "\n" << telnet << std::endl;
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;  // the server stops with its destructor
}
