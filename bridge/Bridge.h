#pragma once
// The bridge at work: the polling session ticked by a timer of Qt's event
// loop, each completed data exchange published as the plant's retained state,
// the plant's availability kept up to date, the discovery configs of sensors
// the plant no longer has cleared from the broker, everything sent again when
// Home Assistant starts, and the faults of a service that
// runs for months handled without a flood of log lines: a broker that is away
// (reconnect with back-off, then everything published again), a port that is
// lost (reopened every 10 s), a controller that stops answering. Each exchange
// also goes into the plant's archive, as the program keeps it. The plant's
// alarm state (link, fault, monitoring, last exchange) is published as it
// changes, each of its events runs the owner's alarm command, and totals that
// jump for one exchange are held back. It only reads the controller: it
// queues no command.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "alarm/PlantState.h"
#include "archive/ArchiveWriter.h"
#include "bridge/AlarmCommand.h"
#include "bridge/Availability.h"
#include "bridge/Backoff.h"
#include "bridge/BridgeLog.h"
#include "bridge/BridgeOptions.h"
#include "bridge/Discovery.h"
#include "bridge/MqttClient.h"
#include "bridge/PortTarget.h"
#include "bridge/Topics.h"
#include "bridge/TotalsGuard.h"
#include "session/PollingSession.h"

class Bridge : public QObject {
public:
  static constexpr std::chrono::seconds ReopenInterval{10};
  // A controller silent for this many more spans of silence (after the first)
  // may sit behind a wedged adapter: the port is closed and opened again.
  static constexpr int ReopenAfterSilences = 3;

  // Raises Exception when the MQTT client cannot be set up. Without
  // --archive the plant's archive goes into archiveFolder (the archive's
  // default folder when it is empty too).
  Bridge(const BridgeOptions& options, const std::string& password, const std::filesystem::path& archiveFolder = {});
  ~Bridge() override;

  // Opens the port, starts the tick and the connection to the broker. False,
  // with the reason logged, when the port cannot be opened: then the broker is
  // not contacted at all.
  bool Start();
  // Publishes "offline", disconnects cleanly and closes the port; then `done`.
  void Stop(std::function<void()> done);

private:
  bool OpenPort();
  void ReopenPort(bool tell = true);
  void PortOpened(bool tell = true);
  void ReopenSilentPort();
  void ExchangeCompleted();
  void PortProven();
  void ControllerSilent();
  void PortLost();
  void BrokerConnected();
  void BrokerLost(const std::string& why);
  void Republish();
  void BrokerMessage(const std::string& topic, const std::string& payload, bool retained);
  void Announce(const PlantDevice& device);
  void ClearStaleConfigs(const PlantDevice& device);
  void TakeAlarmEvents(const std::vector<Alarm::Event>& events);
  void PublishAlarm();
  void ChangeAvailability(const std::optional<std::string>& payload);
  void Publish(const std::string& topic, const std::string& payload);
  void LogSerialError(const std::exception& error);
  void StartWatchdog();

  BridgeOptions options_;
  BridgeTopics topics_;
  PollingSession session_;
  MqttClient mqtt_;
  std::unique_ptr<Archive::ArchiveWriter> archive_;  // none with --no-archive
  std::unique_ptr<AlarmCommand> alarmCommand_;       // none without --alarm-command
  Alarm::PlantState plant_;
  TotalsGuard totals_;
  PortTarget port_;
  Availability availability_;
  ReconnectBackoff backoff_;
  BridgeLog log_;
  QTimer tick_;
  QTimer reopen_;
  QTimer reconnect_;
  QTimer silent_;
  QTimer watchdog_;                        // tells the service manager that the event loop runs
  std::optional<std::string> state_;       // the last state message
  std::optional<PlantDevice> device_;      // the plant as the last exchange showed it
  std::optional<PlantDevice> announced_;   // what the broker's discovery configs say
  int metersAnnounced_ = 0;                // meters whose configs this run published
  std::set<std::string> retainedConfigs_;  // the plant's configs the broker kept from before
  unsigned long blocksBefore_ = 0;         // blocks stored up to the last exchange
  bool portWasOpen_ = false;
  bool reopenedUnproven_ = false;    // opened again, no exchange since
  bool brokerWasConnected_ = false;  // the attempt that just ended had been accepted
  bool outageLogged_ = false;        // the current outage has had its line
  bool connectedLogged_ = false;     // the current connection has had its line
  bool stopping_ = false;
};
