// Processor time per received byte on a paced line: a child process writes
// bytes one at a time into a pseudo-terminal at a fixed pace, in blocks, and
// the receiver answers each whole block with a short request, as the PC
// answers the controller. The receivers, side by side in one run: a bare
// reader (one thread, poll + read + write), TVaComm in a Qt event loop read
// the way the link reads it (OnRxChar, then ReadBuf byte by byte until it
// returns 0) and QSerialPort in the same loop. Prints per receiver the median
// over the repetitions of processor time (user + system, all threads of this
// process) and context switches per received byte.
//
//   paced_receive_bench [bytes] [pace_us] [repetitions] [receiver]
//     (default 1200 bytes 4167 us apart as at 2400 baud, 3 repetitions, every receiver;
//      receiver: bare, TVaComm or QSerialPort alone, to profile it)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "MonotonicClock.h"
#include "RawPty.h"
#include "serial/VaComm.h"
#include "session/qt/QtMainThreadWake.h"

namespace {

constexpr int BlockBytes = 25;  // about the average block of a data exchange
constexpr int RequestBytes = 7;

struct Usage {
  double CpuUs = 0;
  long Switches = 0;
};

Usage TakeUsage() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  auto us = [](const timeval& t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
  return {us(r.ru_utime) + us(r.ru_stime), r.ru_nvcsw + r.ru_nivcsw};
}

struct Cost {
  double CpuUsPerByte = 0;
  double SwitchesPerByte = 0;
};

Cost PerByte(const Usage& before, const Usage& after, int bytes) {
  return {(after.CpuUs - before.CpuUs) / bytes, double(after.Switches - before.Switches) / bytes};
}

void SleepUntil(int64_t ns) {
  const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
}

// The line's far end in a child process: waits for the go, then writes
// `bytes` bytes one at a time every `paceNs`, dropping what it receives, and
// keeps the line open until it is ended.
pid_t StartPacer(int master, int go, int bytes, int64_t paceNs) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  char start = 0;
  if (read(go, &start, 1) != 1) _exit(1);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  int64_t due = MonotonicNs();
  char drop[256];
  for (int i = 0; i < bytes; ++i) {
    due += paceNs;
    SleepUntil(due);
    const char byte = char(i % BlockBytes);
    if (write(master, &byte, 1) != 1) _exit(errno == 0 ? 99 : errno);
    while (read(master, drop, sizeof drop) > 0) {
    }
  }
  // Held open until the receiver has taken everything: closing would hang up the line.
  for (;;) {
    while (read(master, drop, sizeof drop) > 0) {
    }
    SleepUntil(MonotonicNs() + 10'000'000);
  }
}

// The usage at the go and once every byte has been taken.
struct Span {
  Usage Start, End;
};

// One receiver's run: a fresh line and pacer; `receive` opens the terminal
// side, says go and returns once every byte has been taken.
Cost RunOne(int bytes, int64_t paceNs, const std::function<Span(const std::string&, int go)>& receive) {
  const RawPty pty = OpenRawPty();
  int pipeFds[2];
  if (pipe(pipeFds) != 0) std::exit(1);
  const pid_t pacer = StartPacer(pty.Master, pipeFds[0], bytes, paceNs);
  close(pty.Master);
  const Span span = receive(pty.Path, pipeFds[1]);
  kill(pacer, SIGTERM);
  int status = 0;
  waitpid(pacer, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "paced_receive_bench: the pacer failed (%d)\n", WEXITSTATUS(status));
    std::exit(1);
  }
  close(pipeFds[0]);
  close(pipeFds[1]);
  close(pty.Slave);
  return PerByte(span.Start, span.End, bytes);
}

// Tells the pacer to start; returns the usage at that moment.
Usage Go(int go) {
  const Usage usage = TakeUsage();
  if (write(go, "g", 1) != 1) std::exit(1);
  return usage;
}

// Counts received bytes and says when a block is whole.
struct BlockCounter {
  int Total = 0;
  int InBlock = 0;
  bool Add(int n) {
    Total += n;
    InBlock += n;
    if (InBlock < BlockBytes) return false;
    InBlock -= BlockBytes;
    return true;
  }
};

const char Request[RequestBytes] = {1, 2, 3, 4, 5, 6, 7};

Span BareReader(const std::string& path, int go, int bytes) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  const Usage start = Go(go);
  BlockCounter counter;
  char buffer[512];
  while (counter.Total < bytes) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0) break;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    if (n < 0) continue;
    if (counter.Add(int(n)) && write(fd, Request, RequestBytes) != RequestBytes) break;
  }
  const Usage end = TakeUsage();
  close(fd);
  return {start, end};
}

Span VaCommReader(const std::string& path, int go, int bytes) {
  TVaComm comm;
  comm.SetDeviceName(path);
  comm.SetBaudrate(br2400);
  comm.SetMonitorEvents(TVaCommEvents{ceRxChar, ceRx80Full});
  QEventLoop loop;
  BlockCounter counter;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    for (char byte = 0; sender->ReadBuf(&byte, 1) > 0;) {
      if (counter.Add(1)) sender->WriteBuf(Request, RequestBytes);
    }
    if (counter.Total >= bytes) loop.quit();
  };
  comm.Open();
  const Usage start = Go(go);
  loop.exec();
  const Usage end = TakeUsage();
  comm.OnRxChar = nullptr;
  return {start, end};
}

Span QSerialPortReader(const std::string& path, int go, int bytes) {
  QSerialPort serial;
  serial.setPortName(QString::fromStdString(path));
  if (!serial.open(QIODevice::ReadWrite)) std::exit(1);
  serial.setBaudRate(QSerialPort::Baud2400);
  QEventLoop loop;
  BlockCounter counter;
  QObject::connect(&serial, &QSerialPort::readyRead, [&] {
    for (char byte = 0; serial.read(&byte, 1) > 0;) {
      if (counter.Add(1)) serial.write(Request, RequestBytes);
    }
    if (counter.Total >= bytes) loop.quit();
  });
  const Usage start = Go(go);
  loop.exec();
  return {start, TakeUsage()};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Series {
  const char* Name;
  std::function<Span(const std::string&, int, int)> Receive;
  std::vector<double> Cpu, Switches;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  InstallQtMainThreadWake();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int bytes = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1200;
  const int64_t paceNs = (argc > 2 ? std::max(100, std::atoi(argv[2])) : 4167) * int64_t{1000};
  const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

  std::vector<Series> series{{"bare", BareReader, {}, {}},
                             {"TVaComm", VaCommReader, {}, {}},
                             {"QSerialPort", QSerialPortReader, {}, {}}};
  if (argc > 4) {
    std::erase_if(series, [&](const Series& s) { return std::string(s.Name).find(argv[4]) == std::string::npos; });
    if (series.empty()) return 2;
  }
  for (int rep = 0; rep < repetitions; ++rep) {
    for (Series& s : series) {
      const Cost cost = RunOne(bytes, paceNs, [&](const std::string& path, int go) { return s.Receive(path, go, bytes); });
      s.Cpu.push_back(cost.CpuUsPerByte);
      s.Switches.push_back(cost.SwitchesPerByte);
    }
  }
  std::printf("Receiving %d bytes paced %.0f us apart, a %d-byte request per %d-byte block, median of %d\n", bytes,
              double(paceNs) / 1000, RequestBytes, BlockBytes, repetitions);
  const double bare = std::string(series[0].Name) == "bare" ? Median(series[0].Cpu) : 0;
  for (const Series& s : series) {
    std::printf("  %-12s processor %6.1f us per byte", s.Name, Median(s.Cpu));
    if (bare > 0) std::printf(" (%.2f x the bare reader)", Median(s.Cpu) / bare);
    std::printf(", %.2f context switches per byte\n", Median(s.Switches));
  }
  return 0;
}
