// serial-line-peer: the Linux side of the serial tests that run under wine.
// It holds pseudo-terminals whose terminal sides wine's COM ports reach (each
// COMn of the prefix is mapped to the link <ports>/comN, which this program
// points at a terminal), and plays the line's other end on request of the
// test program over a local TCP connection, one command a line:
//   NEW                 a new terminal on a free COM number -> OK <id> <n>
//   WRITE <id> <hex>    send bytes to the port                -> OK
//   READ <id> <n> <ms>  bytes from the port, up to n, within ms -> OK <hex>
//   HANGUP <id>         close the line's end, as a pulled adapter -> OK
//   LINK <n> <id>       point COMn at terminal id              -> OK
//   UNLINK <n>          let COMn lead nowhere again            -> OK
//   FREE <id>           drop the terminal, free its COM number -> OK
// Usage: serial-line-peer PORTS_DIR COUNT; prints the TCP port, then serves
// one test program and exits when it disconnects.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "HexText.h"
#include "tests/support/PtyLine.h"

namespace fs = std::filesystem;

namespace {

class Peer {
public:
  Peer(fs::path ports, int count) : ports_(std::move(ports)), count_(count) {
    for (int n = 1; n <= count_; ++n) Point(n, "");
  }
  ~Peer() {
    for (int n = 1; n <= count_; ++n) Point(n, "");
  }
  std::string Handle(const std::string& line);

private:
  // An unused COM number leads nowhere: opening it fails with "not found".
  void Point(int n, const std::string& target) {
    const fs::path link = ports_ / ("com" + std::to_string(n));
    std::error_code ignored;
    fs::remove(link, ignored);
    fs::create_symlink(target.empty() ? (ports_ / "unused").string() : target, link, ignored);
  }
  int FreeNumber() const {
    for (int n = 1; n <= count_; ++n) {
      bool used = false;
      for (const auto& [id, number] : numbers_) used = used || number == n;
      if (!used && !linked_.count(n)) return n;
    }
    return 0;
  }
  PtyLine& Line(int id) {
    auto found = lines_.find(id);
    if (found == lines_.end()) throw std::runtime_error("no terminal " + std::to_string(id));
    return *found->second;
  }

  fs::path ports_;
  int count_;
  int nextId_ = 1;
  std::map<int, std::unique_ptr<PtyLine>> lines_;
  std::map<int, int> numbers_;  // terminal id -> the COM number it was made for
  std::set<int> linked_;        // COM numbers pointed at a terminal by LINK
};

std::string Peer::Handle(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "NEW") {
    const int n = FreeNumber();
    if (n == 0) return "ERR no free COM number";
    const int id = nextId_++;
    lines_[id] = std::make_unique<PtyLine>();
    numbers_[id] = n;
    Point(n, lines_[id]->SlavePath());
    return "OK " + std::to_string(id) + " " + std::to_string(n);
  }
  int id = 0;
  in >> id;
  if (command == "WRITE") {
    std::string hex;
    in >> hex;
    Line(id).Write(BytesOfHexText(hex));
  } else if (command == "READ") {
    size_t want = 0;
    int ms = 0;
    in >> want >> ms;
    return "OK " + HexText(Line(id).Read(want, ms));
  } else if (command == "HANGUP") {
    Line(id).CloseMaster();
  } else if (command == "LINK") {
    int target = 0;
    in >> target;
    Point(id, Line(target).SlavePath());
    linked_.insert(id);
  } else if (command == "UNLINK") {
    Point(id, "");
    linked_.erase(id);
  } else if (command == "FREE") {
    if (numbers_.count(id)) Point(numbers_[id], "");
    numbers_.erase(id);
    lines_.erase(id);
  } else {
    return "ERR unknown command " + command;
  }
  return "OK";
}

int Listen(uint16_t& port) {
  const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (server < 0 || bind(server, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(server, 1) != 0 ||
      getsockname(server, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return server;
}

void Serve(Peer& peer, int client) {
  const int one = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(client, buffer, sizeof buffer);
    if (n <= 0) return;
    pending.append(buffer, size_t(n));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string reply;
      try {
        reply = peer.Handle(pending.substr(0, end));
      } catch (const std::exception& error) {
        reply = std::string("ERR ") + error.what();
      }
      pending.erase(0, end + 1);
      reply += '\n';
      if (write(client, reply.data(), reply.size()) != ssize_t(reply.size())) return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: serial-line-peer PORTS_DIR COUNT\n";
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  signal(SIGHUP, SIG_IGN);
  try {
    Peer peer(argv[1], std::stoi(argv[2]));
    uint16_t port = 0;
    const int server = Listen(port);
    std::cout << port << std::endl;
    const int client = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) Serve(peer, client);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "serial-line-peer: " << error.what() << "\n";
    return 1;
  }
}
