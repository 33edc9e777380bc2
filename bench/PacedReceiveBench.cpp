// Processor time per received byte on a paced line (PacedFeed.h), side by
// side in one run: a bare reader (one thread, poll + read + write), TVaComm in
// a Qt event loop read the way the link reads it (OnRxChar, then ReadBuf byte
// by byte until it returns 0) and QSerialPort in the same loop. Prints per
// receiver the median over the repetitions of processor time (user + system,
// all threads of this process) and of context switches per received byte.
//
//   paced_receive_bench [bytes] [pace_us] [repetitions] [receiver]
//     (default 1200 bytes 4167 us apart as at 2400 baud, 3 repetitions, every
//      receiver; receiver: bare, TVaComm or QSerialPort alone, to profile it)
#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PacedFeed.h"
#include "qtloop/QtMainThreadWake.h"
#include "serial/VaComm.h"

namespace {

using namespace PacedFeed;

Span VaCommReader(const std::string& path, const std::function<Usage()>& go, int bytes) {
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
  const Usage start = go();
  loop.exec();
  const Usage end = TakeUsage();
  comm.OnRxChar = nullptr;
  return {start, end};
}

Span QSerialPortReader(const std::string& path, const std::function<Usage()>& go, int bytes) {
  QSerialPort serial;
  serial.setPortName(QString::fromStdString(path));
  if (!serial.open(QIODevice::ReadWrite)) {
    std::fprintf(stderr, "QSerialPort: cannot open %s\n", path.c_str());
    std::exit(1);
  }
  serial.setBaudRate(QSerialPort::Baud2400);
  QEventLoop loop;
  BlockCounter counter;
  QObject::connect(&serial, &QSerialPort::readyRead, [&] {
    for (char byte = 0; serial.read(&byte, 1) > 0;) {
      if (counter.Add(1)) serial.write(Request, RequestBytes);
    }
    if (counter.Total >= bytes) loop.quit();
  });
  const Usage start = go();
  loop.exec();
  return {start, TakeUsage()};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Series {
  const char* Name;
  Receiver Receive;
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

  std::vector<Series> series{
      {"bare", BareReader, {}, {}}, {"TVaComm", VaCommReader, {}, {}}, {"QSerialPort", QSerialPortReader, {}, {}}};
  if (argc > 4) {
    std::erase_if(series, [&](const Series& s) { return std::string(s.Name).find(argv[4]) == std::string::npos; });
    if (series.empty()) return 2;
  }
  for (int rep = 0; rep < repetitions; ++rep) {
    for (Series& s : series) {
      const Cost cost = Measure(bytes, paceNs, s.Receive);
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
