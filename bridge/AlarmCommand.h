#pragma once
// The owner's alarm command: a program run on each of the plant's alarm
// events, never through a shell and without arguments, with the facts in its
// environment (PCZN_EVENT, PCZN_PLANT, PCZN_FAULT, PCZN_TIME). One runs at a
// time on Qt's event loop, so polling never waits for it; events that come
// meanwhile wait in a small queue; one that runs past its time limit is ended.
// Its exit status and the start of its output go to the log.
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "alarm/PlantState.h"
#include "bridge/CommandGroup.h"

// "fault-started", "fault-ended", "link-lost", "link-back", "monitoring-off", "monitoring-on".
const char* AlarmEventName(Alarm::EventKind kind);

class AlarmCommand : public QObject {
public:
  // Events waiting while one runs; more are dropped, with one line per overflow.
  static constexpr size_t QueueLimit = 8;
  // The output kept for the log (standard output and error together); the rest is counted.
  static constexpr qsizetype OutputLimit = 2048;
  // After the time limit the program gets SIGTERM, and SIGKILL this much later.
  static constexpr std::chrono::seconds KillGrace{2};

  AlarmCommand(std::string program, std::chrono::seconds limit, std::string plant);
  ~AlarmCommand() override;

  void Take(const Alarm::Event& event);
  // Nothing runs and nothing waits.
  bool Idle() const { return !process_ && queue_.empty(); }

private:
  void StartNext();
  void Collect();
  void Finished(int exitCode, QProcess::ExitStatus status);
  void StartFailed();
  void Overrun();
  void End(bool hard);
  void Done(const std::string& outcome);
  QProcessEnvironment EnvironmentFor(const Alarm::Event& event) const;

  std::string program_;
  std::chrono::seconds limit_;
  std::string plant_;
  std::deque<Alarm::Event> queue_;
  std::unique_ptr<QProcess> process_;
  std::unique_ptr<CommandGroup> group_;  // the running command's processes
  std::string running_;                  // the running event's name
  QByteArray output_;
  qsizetype dropped_ = 0;  // output bytes beyond OutputLimit
  bool overran_ = false;
  bool overflowLogged_ = false;
  QTimer deadline_;
  QTimer kill_;
};
