#pragma once
// An MQTT client of the tests' own (libmosquitto, with its own thread): it
// subscribes to a topic filter, keeps every message it receives in order, and
// connects again by itself after the broker was away.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;

struct ReceivedMessage {
  std::string Topic;
  std::string Payload;
  bool Retained = false;
};

class MqttSubscriber {
public:
  using Match = std::function<bool(const ReceivedMessage&)>;

  // With a CA file: over TLS, trusting that authority.
  explicit MqttSubscriber(int port, std::string filter = "#", const std::string& caFile = "");
  ~MqttSubscriber();
  MqttSubscriber(const MqttSubscriber&) = delete;
  MqttSubscriber& operator=(const MqttSubscriber&) = delete;

  // Waits until it has subscribed `times` times in all (once per connection).
  bool WaitSubscribed(int times, double seconds);
  std::vector<ReceivedMessage> Messages() const;
  size_t Count() const;
  // The first message from index `from` on that matches, waiting up to the limit.
  std::optional<ReceivedMessage> WaitFor(const Match& match, double seconds, size_t from = 0);
  // The same for a topic, and for a topic with a payload.
  std::optional<ReceivedMessage> WaitFor(const std::string& topic, double seconds, size_t from = 0);
  std::optional<ReceivedMessage> WaitFor(const std::string& topic, const std::string& payload, double seconds,
                                         size_t from = 0);

  // Publishes with QoS 1 (as another client of the broker would); false when the library refuses.
  bool Publish(const std::string& topic, const std::string& payload, bool retain);

private:
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnSubscribe(mosquitto*, void* self, int, int, const int*);
  static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);

  std::string filter_;
  mosquitto* mosq_ = nullptr;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<ReceivedMessage> messages_;
  int subscriptions_ = 0;
};
