// Round trip of 205-byte frames over a pseudo-terminal pair, through TVaComm
// and through QSerialPort in the same run. A thread echoes every byte on the
// master side; the port under test writes a frame and runs the event loop
// until the whole frame has come back. Prints median and 99th percentile of
// each and their ratio (TVaComm / QSerialPort) per repetition, and the median
// of the repetitions' ratios against the goal (TVaComm at most as slow).
//
//   serial_bench [rounds] [repetitions]
//     (default 1000 rounds per port and repetition, in two alternating halves; 3 repetitions)
// Exits 4 when the goal is missed.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "qtloop/QtMainThreadWake.h"
#include "serial/VaComm.h"
#include "tests/support/RawPty.h"

namespace {

constexpr int FrameSize = 205;
using Clock = std::chrono::steady_clock;

// The far end: sends back whatever arrives on the master side.
class EchoPeer {
public:
  EchoPeer() {
    const RawPty pty = OpenRawPty();
    master_ = pty.Master;
    slave_ = pty.Slave;
    slavePath_ = pty.Path;
    thread_ = std::thread([this] { Run(); });
  }
  ~EchoPeer() {
    stop_ = true;
    thread_.join();
    close(master_);
    close(slave_);
  }
  const std::string& SlavePath() const { return slavePath_; }

private:
  void Run() {
    char buffer[4096];
    while (!stop_) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 50) <= 0) continue;
      const ssize_t n = read(master_, buffer, sizeof buffer);
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = write(master_, buffer + done, size_t(n - done));
        if (w > 0) done += w;
      }
    }
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string MakeFrame(int round) {
  std::string frame(FrameSize, '\0');
  for (int i = 0; i < FrameSize; ++i) frame[size_t(i)] = char((round * 31 + i * 7) & 0xFF);
  return frame;
}

// One port under test: send a frame, then collect the echo.
struct Port {
  std::function<void(const std::string&)> Send;
  std::string Received;
  QEventLoop Loop;
};

// Runs `rounds` round trips; returns their durations in microseconds.
std::vector<double> Measure(Port& port, int rounds, int firstRound) {
  std::vector<double> times;
  times.reserve(size_t(rounds));
  for (int round = firstRound; round < firstRound + rounds; ++round) {
    const std::string frame = MakeFrame(round);
    port.Received.clear();
    const auto start = Clock::now();
    port.Send(frame);
    if (port.Received.size() < frame.size()) port.Loop.exec();
    const auto end = Clock::now();
    if (port.Received != frame) {
      std::fprintf(stderr, "round %d: echo differs (%zu bytes back)\n", round, port.Received.size());
      std::exit(1);
    }
    times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  return times;
}

void Collect(Port& port, const char* data, qint64 count) {
  port.Received.append(data, size_t(count));
  if (port.Received.size() >= FrameSize) port.Loop.quit();
}

std::vector<double> RunVaComm(const std::string& path, int rounds, int firstRound) {
  TVaComm comm;
  comm.SetDeviceName(path);
  comm.SetBaudrate(br2400);
  comm.SetMonitorEvents({ceRxChar});
  Port port;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    std::string bytes(size_t(count), '\0');
    const int read = sender->ReadBuf(bytes.data(), count);
    Collect(port, bytes.data(), read);
  };
  port.Send = [&](const std::string& frame) { comm.WriteBuf(frame.data(), int(frame.size())); };
  comm.Open();
  std::vector<double> times = Measure(port, rounds, firstRound);
  comm.Close();
  return times;
}

std::vector<double> RunQSerialPort(const std::string& path, int rounds, int firstRound) {
  QSerialPort serial;
  serial.setPortName(QString::fromStdString(path));
  if (!serial.open(QIODevice::ReadWrite)) {
    std::fprintf(stderr, "QSerialPort: cannot open %s: %s\n", path.c_str(), qPrintable(serial.errorString()));
    std::exit(1);
  }
  serial.setBaudRate(QSerialPort::Baud2400);
  serial.setDataBits(QSerialPort::Data8);
  serial.setParity(QSerialPort::NoParity);
  serial.setStopBits(QSerialPort::OneStop);
  serial.setFlowControl(QSerialPort::NoFlowControl);
  Port port;
  QObject::connect(&serial, &QSerialPort::readyRead, [&] {
    const QByteArray bytes = serial.readAll();
    Collect(port, bytes.constData(), bytes.size());
  });
  port.Send = [&](const std::string& frame) { serial.write(frame.data(), qint64(frame.size())); };
  std::vector<double> times = Measure(port, rounds, firstRound);
  serial.close();
  return times;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
  return values[index];
}

void Append(std::vector<double>& to, const std::vector<double>& from) { to.insert(to.end(), from.begin(), from.end()); }

struct Repetition {
  double VaMedian, VaP99, QtMedian, QtP99;
  double MedianRatio() const { return VaMedian / QtMedian; }
  double P99Ratio() const { return VaP99 / QtP99; }
};

// Both ports, alternating halves so that neither profits from running second.
Repetition MeasureBoth(const std::string& path, int rounds, int firstRound) {
  std::vector<double> vaComm;
  std::vector<double> qt;
  const int half = rounds / 2;
  Append(vaComm, RunVaComm(path, half, firstRound));
  Append(qt, RunQSerialPort(path, half, firstRound));
  Append(qt, RunQSerialPort(path, rounds - half, firstRound + half));
  Append(vaComm, RunVaComm(path, rounds - half, firstRound + half));
  return {Percentile(vaComm, 0.5), Percentile(vaComm, 0.99), Percentile(qt, 0.5), Percentile(qt, 0.99)};
}

double MedianOf(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  InstallQtMainThreadWake();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  EchoPeer peer;
  const std::string path = peer.SlavePath();

  RunVaComm(path, 20, 0);  // warm up both
  RunQSerialPort(path, 20, 0);
  std::printf("Round trip of %d-byte frames over a pseudo-terminal, %d rounds per port and repetition\n", FrameSize,
              rounds);
  std::vector<double> medianRatios, p99Ratios;
  for (int rep = 1; rep <= repetitions; ++rep) {
    const Repetition r = MeasureBoth(path, rounds, 100 + rep * rounds);
    std::printf(
        "  repetition %d: TVaComm median %7.1f us, p99 %8.1f us; QSerialPort median %7.1f us, p99 %8.1f us; "
        "ratio median %.2f, p99 %.2f\n",
        rep, r.VaMedian, r.VaP99, r.QtMedian, r.QtP99, r.MedianRatio(), r.P99Ratio());
    medianRatios.push_back(r.MedianRatio());
    p99Ratios.push_back(r.P99Ratio());
  }
  const double medianRatio = MedianOf(medianRatios);
  const double p99Ratio = MedianOf(p99Ratios);
  const bool met = medianRatio <= 1.0 && p99Ratio <= 1.0;
  std::printf(
      "[goal 1] round trip TVaComm / QSerialPort, median of %d repetitions: at the median %.2f, at p99 %.2f"
      "   goal <= 1.00 at both: %s\n",
      repetitions, medianRatio, p99Ratio, met ? "met" : "MISSED");
  return met ? 0 : 4;
}
