#include "SerialTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <stdexcept>

#include "serial/VaClasses.h"

PseudoTerminal::PseudoTerminal() {
  char name[256] = {};
  if (openpty(&Master_, &Slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  SlavePath_ = name;
  termios raw{};
  tcgetattr(Slave_, &raw);
  cfmakeraw(&raw);
  tcsetattr(Slave_, TCSANOW, &raw);
  fcntl(Master_, F_SETFL, fcntl(Master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
  CloseMaster();
  close(Slave_);
}

void PseudoTerminal::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(Master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += size_t(n);
    } else {
      pollfd fd{Master_, POLLOUT, 0};
      poll(&fd, 1, 100);
    }
  }
}

std::string PseudoTerminal::Read(size_t want, int timeoutMs) {
  std::string bytes;
  const uint32_t start = Platform::GetTickCount();
  while (bytes.size() < want) {
    const int left = timeoutMs - int(MillisecondsSince(start));
    if (left <= 0) break;
    // The port's threads may wait for the main thread meanwhile: keep its loop going.
    RunMainThreadCalls(0);
    pollfd fd{Master_, POLLIN, 0};
    if (poll(&fd, 1, std::min(left, 5)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(Master_, buffer, sizeof buffer);
    if (n > 0) bytes.append(buffer, size_t(n));
  }
  return bytes;
}

void PseudoTerminal::CloseMaster() {
  if (Master_ >= 0) close(Master_);
  Master_ = -1;
}

uint32_t MillisecondsSince(uint32_t tick) { return Platform::GetTickCount() - tick; }

double ProcessCpuMilliseconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return double(used.tv_sec) * 1000.0 + double(used.tv_nsec) / 1e6;
}

PortsFolder::PortsFolder() {
  char pattern[] = "/tmp/pczn-serial-XXXXXX";
  Root_ = mkdtemp(pattern);
  std::filesystem::create_directories(Root_ + "/PCZentrixNet/ports");
  if (const char* saved = std::getenv("XDG_CONFIG_HOME")) {
    Saved_ = saved;
    HadSaved_ = true;
  }
  setenv("XDG_CONFIG_HOME", Root_.c_str(), 1);
}

PortsFolder::~PortsFolder() {
  if (HadSaved_) {
    setenv("XDG_CONFIG_HOME", Saved_.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(Root_, ignored);
}

std::string PortsFolder::Link(int number, const std::string& target) {
  const std::string link = Root_ + "/PCZentrixNet/ports/COM" + std::to_string(number);
  std::error_code ignored;
  std::filesystem::remove(link, ignored);
  std::filesystem::create_symlink(target, link);
  return link;
}

namespace {
std::mutex RecordLock;
std::vector<std::string> Recorded;
}  // namespace

ExceptionRecord::ExceptionRecord() {
  {
    std::lock_guard guard(RecordLock);
    Recorded.clear();
  }
  SetApplicationExceptionHandler([](const std::exception& error) {
    std::lock_guard guard(RecordLock);
    Recorded.push_back(error.what());
  });
}

ExceptionRecord::~ExceptionRecord() { SetApplicationExceptionHandler(nullptr); }

std::vector<std::string> ExceptionRecord::Messages() const {
  std::lock_guard guard(RecordLock);
  return Recorded;
}

void ConfigureLikeApplication(TVaComm& comm) {
  comm.SetBaudrate(br2400);
  comm.EventChars().SetEventChar(9);
  comm.EventChars().SetEofChar(9);
  TVaFlowControl flow;  // everything off, DTR and RTS disabled
  comm.SetFlowControl(flow);
  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetMonitorEvents({ceRxChar, ceRx80Full});
}
