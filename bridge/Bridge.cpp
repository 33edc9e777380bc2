#include "bridge/Bridge.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Version.h"
#include "bridge/AlarmMessage.h"
#include "bridge/BrokerSettings.h"
#include "bridge/PlantReading.h"
#include "bridge/ServiceManager.h"
#include "bridge/StateMessage.h"
#include "link/Polling.h"
#include "serial/VaComm.h"
#include "store/PlantStore.h"

namespace {

// With the plant's last will: offline when the bridge goes without a word.
MqttSettings SettingsFor(const BridgeOptions& o, const BridgeTopics& topics, const std::string& password) {
  MqttSettings s = BrokerSettings(o, password);
  s.WillTopic = topics.Availability();
  s.WillPayload = Availability::Offline;
  return s;
}

// An error's own text for one log line: its first line (a hint for the
// program's user may follow below it), without the full stop, as the line goes on.
std::string ErrorLine(const std::string& message) {
  std::string text = message.substr(0, message.find('\n'));
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

Alarm::Clock::time_point Now() { return Alarm::Clock::now(); }

std::string EventLine(const Alarm::Event& event) {
  std::string line = std::string("alarm: ") + AlarmEventName(event.Kind);
  if (!event.FaultText.empty()) line += ": " + event.FaultText;
  return line;
}

}  // namespace

Bridge::Bridge(const BridgeOptions& options, const std::string& password, const std::filesystem::path& archiveFolder)
    : options_(options),
      topics_{options.BaseTopic, options.Plant, options.DiscoveryPrefix},
      mqtt_(SettingsFor(options, topics_, password)),
      totals_([](const std::string& line) { BridgeLog::Line(line); }),
      port_(*options.Port) {
  session_.On.ExchangeCompleted = [this] { ExchangeCompleted(); };
  session_.On.ControllerSilent = [this] { ControllerSilent(); };
  session_.On.PortLost = [this] { PortLost(); };
  if (!options_.TraceFile.empty()) session_.TraceTo(options_.TraceFile);
  if (options_.Archiving)
    archive_ = std::make_unique<Archive::ArchiveWriter>(
        options_.ArchiveFile, [](const std::string& message) { BridgeLog::Line("archive: " + message); },
        archiveFolder);
  if (!options_.AlarmCommand.empty())
    alarmCommand_ = std::make_unique<AlarmCommand>(options_.AlarmCommand,
                                                   std::chrono::seconds(options_.AlarmCommandLimitS), options_.Plant);
  mqtt_.On.Connected = [this] { BrokerConnected(); };
  mqtt_.On.Lost = [this](const std::string& why) { BrokerLost(why); };
  mqtt_.On.Message = [this](const std::string& topic, const std::string& payload, bool retained) {
    BrokerMessage(topic, payload, retained);
  };
  tick_.setInterval(options_.TickMs);
  QObject::connect(&tick_, &QTimer::timeout, this, [this] {
    Guarded([this] {
      session_.Tick();
      TakeAlarmEvents(plant_.Tick(NoAnswerCount, Now()));
    });
  });
  reopen_.setInterval(ReopenInterval);
  QObject::connect(&reopen_, &QTimer::timeout, this, [this] { ReopenPort(); });
  reconnect_.setSingleShot(true);
  QObject::connect(&reconnect_, &QTimer::timeout, this, [this] { mqtt_.Connect(); });
  silent_.setSingleShot(true);
  silent_.setInterval(ReopenAfterSilences * PollingSession::SilentAfterTicks * options_.TickMs);
  QObject::connect(&silent_, &QTimer::timeout, this, [this] { ReopenSilentPort(); });
}

Bridge::~Bridge() { SetApplicationExceptionHandler(nullptr); }

bool Bridge::Start() {
  SetApplicationExceptionHandler([this](const std::exception& e) { LogSerialError(e); });
  BridgeLog::Line("zentrixnet-bridge " PCZN_VERSION ": polling " + options_.Port->Describe() + ", publishing to " +
                  mqtt_.Address() + " under " + topics_.Base + "/" + topics_.Plant +
                  (options_.Discovery ? " with Home Assistant discovery under " + topics_.DiscoveryPrefix : ""));
  if (!OpenPort()) return false;
  ServiceManager::Ready();
  StartWatchdog();
  mqtt_.Connect();
  return true;
}

// The pings come from the event loop that ticks the polling session and
// serves the broker: a loop that hangs stops them, and systemd restarts the
// bridge. Twice per limit, so that one late ping is no restart.
void Bridge::StartWatchdog() {
  const std::optional<std::chrono::milliseconds> limit = ServiceManager::WatchdogLimit();
  if (!limit) return;
  watchdog_.setInterval(std::max(*limit / 2, std::chrono::milliseconds(1)));
  QObject::connect(&watchdog_, &QTimer::timeout, this, [] { ServiceManager::Alive(); });
  watchdog_.start();
  ServiceManager::Alive();
}

void Bridge::Stop(std::function<void()> done) {
  if (stopping_) return;
  stopping_ = true;
  ServiceManager::Stopping();
  tick_.stop();
  reopen_.stop();
  reconnect_.stop();
  silent_.stop();
  const bool told = mqtt_.IsConnected();
  Publish(topics_.BridgeAvailability(), Availability::Offline);
  Publish(topics_.Availability(), Availability::Offline);
  mqtt_.Finish([this, told, done = std::move(done)] {
    session_.Close();
    BridgeLog::Line(told ? "stopped: published \"offline\" and closed the port" : "stopped");
    done();
  });
}

// --- the port --------------------------------------------------------------------

// At the start a port that does not open ends the bridge: it is busy (another
// bridge or the program polls it) or misnamed, and a bridge that cannot poll
// must not announce the plant to the broker.
bool Bridge::OpenPort() {
  try {
    session_.Open(*options_.Port);
  } catch (const std::exception& e) {
    BridgeLog::Line("cannot open " + options_.Port->Describe() + ": " + ErrorLine(e.what()) +
                    "; not connecting to the broker, exiting");
    return false;
  }
  PortOpened();
  return true;
}

void Bridge::ReopenPort(bool tell) {
  if (const std::optional<std::string> refusal = port_.Refusal()) {
    log_.Once("port", *refusal + "; trying again every " + std::to_string(ReopenInterval.count()) + " s");
    return;
  }
  try {
    session_.Open(*options_.Port);
  } catch (const std::exception& e) {
    log_.Once("port", "cannot open " + options_.Port->Describe() + ": " + ErrorLine(e.what()) +
                          "; trying again every " + std::to_string(ReopenInterval.count()) + " s");
    return;
  }
  PortOpened(tell);
}

void Bridge::PortOpened(bool tell) {
  if (const std::optional<std::string> change = port_.Opened()) BridgeLog::Line(*change);
  reopen_.stop();
  log_.Forget("port");
  if (tell && !portWasOpen_) BridgeLog::Line("port open: " + session_.Port().OpenPath());
  // Opened again, the port proves itself with an exchange: a line on the
  // network opens at once and is lost only when the server refuses, so an
  // outage is told once, not at every attempt.
  reopenedUnproven_ = tell && portWasOpen_;
  portWasOpen_ = true;
  plant_.PortOpened();
  tick_.start();
}

void Bridge::PortProven() {
  if (reopenedUnproven_) BridgeLog::Line("port open again: " + session_.Port().OpenPath());
  reopenedUnproven_ = false;
  log_.Forget("serial");
  log_.Forget("offline");
}

// The component has reported the loss through the exception handler already.
void Bridge::PortLost() {
  tick_.stop();
  silent_.stop();
  session_.Close();
  log_.Forget("controller");
  // The line first, then the messages: whoever sees "offline" finds it in the log.
  log_.Once("offline", "offline; reopening " + options_.Port->Describe() + " every " +
                           std::to_string(ReopenInterval.count()) + " s");
  ChangeAvailability(availability_.PortLost());
  TakeAlarmEvents(plant_.PortLost(Now()));
  reopen_.start();
}

// An adapter can hang with its device still there: open, but nothing comes
// in. Opened afresh it often answers again; while the controller stays
// silent this repeats, with one line per silence.
void Bridge::ReopenSilentPort() {
  const int silentMs = (1 + ReopenAfterSilences) * PollingSession::SilentAfterTicks * options_.TickMs;
  std::string line = "no answer for " + std::to_string(silentMs / 1000) + " s; reopening " + options_.Port->Describe();
  if (const std::string hint = session_.Port().DeviceHint(); !hint.empty()) line += "; " + hint;
  log_.Once("silent", line);
  tick_.stop();
  session_.Close();
  reopen_.start();
  ReopenPort(false);
}

void Bridge::LogSerialError(const std::exception& error) { log_.Once("serial", ErrorLine(error.what())); }

// --- the controller --------------------------------------------------------------

void Bridge::ExchangeCompleted() {
  PortProven();
  silent_.stop();
  log_.Forget("silent");
  const std::vector<Alarm::Event> events = plant_.ExchangeCompleted(Alarm::ReportOfStore(), Now());
  TakeAlarmEvents(events);
  if (events.empty()) PublishAlarm();  // the last exchange's time
  // An end frame without blocks before it brought nothing new to publish.
  if (LinkCounts.BlocksStored == blocksBefore_) return;
  blocksBefore_ = LinkCounts.BlocksStored;
  const PlantReading reading = ReadPlant();
  state_ = StateMessage(totals_.Checked(StateObject(reading), ControllerMomentOfStore(), PlantKwpOfStore()));
  device_ = DeviceOf(reading);
  log_.Once("controller", "data exchange completed: controller type " + std::to_string(reading.ControllerType) +
                              ", version " + reading.ControllerVersion + ", " + std::to_string(reading.Meters.size()) +
                              " meter(s); online");
  if (announced_ != device_) Announce(*device_);
  Publish(topics_.State(), *state_);
  ChangeAvailability(availability_.ExchangeCompleted());
  if (archive_ && archive_->RecordStore(options_.Plant))
    log_.Once("archive", "archiving into " + archive_->File().string());
}

void Bridge::ControllerSilent() {
  log_.Once("controller", "the controller has not answered for a whole cycle; offline");
  ChangeAvailability(availability_.ControllerSilent());
  silent_.start();
}

// --- the broker ------------------------------------------------------------------

// The log tells of an outage once: one line when the broker goes (or cannot
// be reached), with the wait before the next attempt, and one when it is
// back. The failed attempts in between say nothing, and neither do
// connections the broker drops before it has acknowledged more than their
// first message (it refuses what the bridge publishes): those belong to the
// same outage.
void Bridge::BrokerConnected() {
  if (!connectedLogged_) BridgeLog::Line("connected to the MQTT broker " + mqtt_.Address());
  connectedLogged_ = true;
  brokerWasConnected_ = true;
  Republish();
  // The broker then sends the configs it kept (to learn which of them the
  // plant no longer has) and, from now on, Home Assistant's birth message.
  // Each of the plant's own topics, never the whole prefix: a broker with
  // tens of thousands of other configs drops messages for a client that
  // asks for all of them.
  if (options_.Discovery) {
    for (const std::string& config : PlantConfigTopics(topics_)) mqtt_.Subscribe(config);
    mqtt_.Subscribe(topics_.HomeAssistantStatus());
  }
}

// The configs, the state and the availability as they are now.
void Bridge::Republish() {
  Publish(topics_.BridgeAvailability(), Availability::Online);
  if (device_) Announce(*device_);
  if (state_) Publish(topics_.State(), *state_);
  PublishAlarm();
  Publish(topics_.Availability(), availability_.Payload());
}

void Bridge::BrokerMessage(const std::string& topic, const std::string& payload, bool retained) {
  if (topic == topics_.HomeAssistantStatus()) {
    if (payload != "online") return;
    BridgeLog::Line("Home Assistant started: sending the configs, the state and the availability again");
    Republish();
    return;
  }
  // Only what the broker kept from before; the bridge's own messages of this
  // connection come back live, and an empty one is a removal.
  if (!retained || payload.empty() || !IsConfigOfPlant(topics_, payload)) return;
  retainedConfigs_.insert(topic);
  if (announced_) ClearStaleConfigs(*announced_);
}

void Bridge::BrokerLost(const std::string& why) {
  if (stopping_) return;
  announced_.reset();  // a broker without persistence comes back without the retained configs
  retainedConfigs_.clear();
  // A connection that delivered messages worked: the waits start over. One
  // the broker drops sooner (it refuses what the bridge publishes, or another
  // client takes the id) is one more failed attempt.
  const bool worked = brokerWasConnected_ && mqtt_.HasDelivered();
  if (worked) backoff_.Reset();
  const std::chrono::milliseconds wait = backoff_.Next();
  if (worked || !outageLogged_) {
    const std::string in = std::to_string((wait.count() + 999) / 1000) + " s";
    BridgeLog::Line(worked ? "lost the MQTT broker " + mqtt_.Address() + " (" + why +
                                 "); polling goes on, reconnecting in " + in
                           : "cannot reach the MQTT broker " + mqtt_.Address() + " (" + why +
                                 "); polling goes on, trying again in " + in + ", then at growing intervals up to " +
                                 std::to_string(ReconnectBackoff::Longest.count() / 1000) + " s");
    outageLogged_ = true;
    if (worked) connectedLogged_ = false;
  }
  brokerWasConnected_ = false;
  reconnect_.start(wait);
}

// --- publishing ------------------------------------------------------------------

void Bridge::Announce(const PlantDevice& device) {
  if (!mqtt_.IsConnected()) return;
  if (options_.Discovery) {
    for (const MqttMessage& config : DiscoveryConfigs(topics_, device)) Publish(config.Topic, config.Payload);
    for (const MqttMessage& removal : RemovedMeterConfigs(topics_, device.Meters + 1, metersAnnounced_))
      Publish(removal.Topic, removal.Payload);
    metersAnnounced_ = device.Meters;
    ClearStaleConfigs(device);
    const MqttMessage alarm = AlarmConfig(topics_, device);
    Publish(alarm.Topic, alarm.Payload);
  }
  announced_ = device;
}

// A retained config of the plant that the device has no sensor for (a meter
// that is gone since an earlier run) is emptied, which removes the sensor
// from Home Assistant.
void Bridge::ClearStaleConfigs(const PlantDevice& device) {
  std::set<std::string> current;
  for (const MqttMessage& config : DiscoveryConfigs(topics_, device)) current.insert(config.Topic);
  for (const std::string& topic : retainedConfigs_)
    if (current.count(topic) == 0) Publish(topic, "");
  retainedConfigs_.clear();
}

// Each event once in the log and once to the owner's command; the alarm
// message then tells the new state.
void Bridge::TakeAlarmEvents(const std::vector<Alarm::Event>& events) {
  for (const Alarm::Event& event : events) {
    BridgeLog::Line(EventLine(event));
    if (alarmCommand_) alarmCommand_->Take(event);
  }
  if (!events.empty()) PublishAlarm();
}

// Nothing before the link is known: the first exchange or its loss tells it.
void Bridge::PublishAlarm() {
  if (plant_.LinkState() != Alarm::Link::Unknown) Publish(topics_.Alarm(), AlarmMessage(plant_));
}

void Bridge::ChangeAvailability(const std::optional<std::string>& payload) {
  if (payload) Publish(topics_.Availability(), *payload);
}

// Every message is retained: a subscriber that comes later gets the last one
// at once. While the broker is away nothing goes out, and that is no fault;
// a message the library refuses on a connection is one.
void Bridge::Publish(const std::string& topic, const std::string& payload) {
  if (!mqtt_.Publish(topic, payload, true) && mqtt_.IsConnected())
    log_.Once("publish", "the MQTT library refused a message to " + topic);
}
