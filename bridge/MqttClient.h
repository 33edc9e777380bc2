#pragma once
// The bridge's MQTT connection: libmosquitto driven by Qt's event loop. Its
// socket is watched by notifiers and its keep-alive by a timer, and the
// connection is opened (the broker's name resolved) on a thread of its own, so
// it never holds up the polling; an attempt the broker or the resolver does
// not answer is given up. Messages go out with QoS 1.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "bridge/MqttOpener.h"

struct mosquitto;
class QSocketNotifier;

struct MqttSettings {
  std::string Host = "localhost";
  int Port = 1883;
  std::string ClientId;
  std::string User;  // empty: no login
  std::string Password;
  std::string CaFile;  // empty: no TLS
  int KeepAliveSeconds = 30;
  std::string WillTopic;  // the retained last will; empty for none
  std::string WillPayload;
};

class MqttClient : public QObject {
public:
  struct Events {
    std::function<void()> Connected;                   // the broker accepted the connection
    std::function<void(const std::string& why)> Lost;  // an attempt failed or the connection ended
    // A message of a subscription; `retained` for one the broker kept from before.
    std::function<void(const std::string& topic, const std::string& payload, bool retained)> Message;
    std::function<void()> Delivered;  // the broker acknowledged a message
  };
  // An attempt that the broker has not accepted by then has failed.
  static constexpr std::chrono::seconds AttemptLimit{15};
  // How long Finish waits for the queued messages to go out.
  static constexpr std::chrono::seconds FinishLimit{3};

  // Raises Exception when libmosquitto refuses the settings (a CA file it cannot use).
  explicit MqttClient(const MqttSettings& settings);
  ~MqttClient() override;
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  // Starts an attempt to connect; Connected or Lost follows.
  void Connect();
  bool IsConnected() const { return state_ == State::Connected; }
  // Queues a message for the broker; false when not connected.
  bool Publish(const std::string& topic, const std::string& payload, bool retain);
  // Subscribes with QoS 1 (the broker forgets subscriptions with the
  // connection: subscribe again after each Connected); false when not connected.
  bool Subscribe(const std::string& pattern);
  // Whether the broker has acknowledged more than the first message of this
  // connection (or the last one). The first is the bridge's small online
  // notice: a broker that drops the connection at the next message (it
  // refuses what the bridge publishes) may or may not have acknowledged that
  // one before, and its connections must count as failed either way.
  bool HasDelivered() const { return acknowledged_ > 1; }
  // Waits until the broker has acknowledged every message published, then
  // disconnects cleanly (so the last will is not published); `done` runs once
  // that is out, or after FinishLimit.
  void Finish(std::function<void()> done);
  // "host:port", for messages.
  std::string Address() const;

  Events On;

private:
  enum class State { Idle, Connecting, Connected, Finishing };

  void Configure();
  void Open();
  void Opened(int rc, int systemError);
  void Loop(int rc);
  void WatchSocket();
  void StopWatching();
  std::string LossReason(int rc, int systemError) const;
  void Lose(const std::string& why);
  void WriteFailed(int rc);
  void FinishDone();
  void SendDisconnect();

  static void ConnectCallback(mosquitto*, void* self, int rc);
  static void LogCallback(mosquitto*, void* self, int level, const char* text);
  static void PublishCallback(mosquitto*, void* self, int mid);
  static void MessageCallback(mosquitto*, void* self, const struct mosquitto_message* message);

  MqttSettings settings_;
  mosquitto* mosq_ = nullptr;
  State state_ = State::Idle;
  bool accepted_ = false;   // the broker's CONNACK said yes
  int acknowledged_ = 0;    // PUBACKs since the attempt began
  int unacknowledged_ = 0;  // messages of this connection without a PUBACK yet
  bool disconnectSent_ = false;
  std::string refusal_;       // or why it said no
  std::string libraryError_;  // the library's last error line (OpenSSL's reason for a TLS error)
  int fd_ = -1;
  unsigned attempt_ = 0;  // counts the openings, so that a late word of a loss meets its own connection only
  QSocketNotifier* reader_ = nullptr;
  QSocketNotifier* writer_ = nullptr;
  QTimer keepAlive_;
  QTimer attemptLimit_;
  QTimer finishLimit_;
  MqttOpener opener_;
  bool openAgain_ = false;  // Connect came while an abandoned attempt was still opening
  std::function<void()> finished_;
};
