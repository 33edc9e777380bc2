#include "bridge/AlarmCommand.h"

#include "base/PrintableText.h"
#include "bridge/AlarmMessage.h"
#include "bridge/BridgeLog.h"
#include "bridge/CommandGroup.h"

const char* AlarmEventName(Alarm::EventKind kind) {
  using K = Alarm::EventKind;
  switch (kind) {
    case K::FaultStarted: return "fault-started";
    case K::FaultEnded: return "fault-ended";
    case K::LinkLost: return "link-lost";
    case K::LinkBack: return "link-back";
    case K::MonitoringOff: return "monitoring-off";
    case K::MonitoringOn: return "monitoring-on";
  }
  return "unknown";
}

AlarmCommand::AlarmCommand(std::string program, std::chrono::seconds limit, std::string plant)
    : program_(std::move(program)), limit_(limit), plant_(std::move(plant)) {
  deadline_.setSingleShot(true);
  QObject::connect(&deadline_, &QTimer::timeout, this, [this] { Overrun(); });
  kill_.setSingleShot(true);
  QObject::connect(&kill_, &QTimer::timeout, this, [this] { End(true); });
}

// A command still running when the bridge stops is ended with it, children too.
AlarmCommand::~AlarmCommand() {
  if (!process_) return;
  process_->disconnect();
  End(true);
  process_->waitForFinished(1000);
}

void AlarmCommand::Take(const Alarm::Event& event) {
  if (queue_.size() >= QueueLimit) {
    if (!overflowLogged_)
      BridgeLog::Line("alarm command: " + std::to_string(QueueLimit) + " events wait already; dropping " +
                      AlarmEventName(event.Kind) + " and any more until the queue has room");
    overflowLogged_ = true;
    return;
  }
  queue_.push_back(event);
  if (!process_) StartNext();
}

QProcessEnvironment AlarmCommand::EnvironmentFor(const Alarm::Event& event) const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("PCZN_EVENT", AlarmEventName(event.Kind));
  env.insert("PCZN_PLANT", QString::fromStdString(plant_));
  env.insert("PCZN_FAULT", QString::fromStdString(event.FaultText));
  env.insert("PCZN_TIME", QString::fromStdString(IsoTime(event.Time)));
  return env;
}

void AlarmCommand::StartNext() {
  if (queue_.empty()) return;
  const Alarm::Event event = queue_.front();
  queue_.pop_front();
  overflowLogged_ = false;  // the queue has room again
  running_ = AlarmEventName(event.Kind);
  output_.clear();
  dropped_ = 0;
  overran_ = false;
  process_ = std::make_unique<QProcess>();
  process_->setProgram(QString::fromStdString(program_));  // no shell, no arguments
  process_->setProcessEnvironment(EnvironmentFor(event));
  process_->setProcessChannelMode(QProcess::MergedChannels);
  process_->setStandardInputFile(QProcess::nullDevice());
  // A group of its own: a script's children (a mail program, curl) end with it.
  group_ = std::make_unique<CommandGroup>();
  group_->Prepare(*process_);
  QObject::connect(process_.get(), &QProcess::started, this, [this] { group_->Adopt(*process_); });
  QObject::connect(process_.get(), &QProcess::readyRead, this, [this] { Collect(); });
  QObject::connect(process_.get(), &QProcess::finished, this,
                   [this](int code, QProcess::ExitStatus status) { Finished(code, status); });
  QObject::connect(process_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) StartFailed();
  });
  process_->start();
  deadline_.start(limit_);
}

void AlarmCommand::Collect() {
  const QByteArray more = process_->readAll();
  const qsizetype room = std::max<qsizetype>(OutputLimit - output_.size(), 0);
  output_ += more.left(room);
  dropped_ += more.size() - std::min(room, more.size());
}

void AlarmCommand::Finished(int exitCode, QProcess::ExitStatus status) {
  Collect();
  if (overran_) Done("ran longer than " + std::to_string(limit_.count()) + " s and was ended");
  else if (status == QProcess::CrashExit) Done("ended by a signal");
  else Done("exit status " + std::to_string(exitCode));
}

void AlarmCommand::StartFailed() { Done("cannot be started: " + process_->errorString().toStdString()); }

void AlarmCommand::Overrun() {
  overran_ = true;
  End(false);
  kill_.start(KillGrace);
}

// Asks the command's whole group to end (hard: ends it) while its leader runs.
void AlarmCommand::End(bool hard) {
  if (process_) group_->End(*process_, hard);
}

// One line for the run, then its output line by line, each shown as text.
void AlarmCommand::Done(const std::string& outcome) {
  deadline_.stop();
  kill_.stop();
  BridgeLog::Line("alarm command " + running_ + ": " + Printable(program_) + " " + outcome);
  for (const QByteArray& line : output_.split('\n'))
    if (!line.trimmed().isEmpty())
      BridgeLog::Line("alarm command " + running_ + " said: " + Printable(line.toStdString()));
  if (dropped_ > 0)
    BridgeLog::Line("alarm command " + running_ + ": " + std::to_string(dropped_) + " more bytes of output not logged");
  process_->disconnect();
  process_.release()->deleteLater();
  group_.reset();
  StartNext();
}
