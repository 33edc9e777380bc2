#include "tests/support/MqttSubscriber.h"

#include <mosquitto.h>

#include <stdexcept>

MqttSubscriber::MqttSubscriber(int port, std::string filter, const std::string& caFile) : filter_(std::move(filter)) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new(nullptr, true, this);
  if (mosq_ == nullptr) throw std::runtime_error("mosquitto_new failed");
  if (!caFile.empty() &&
      mosquitto_tls_set(mosq_, caFile.c_str(), nullptr, nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS)
    throw std::runtime_error("mosquitto_tls_set failed for " + caFile);
  mosquitto_connect_callback_set(mosq_, &MqttSubscriber::OnConnect);
  mosquitto_subscribe_callback_set(mosq_, &MqttSubscriber::OnSubscribe);
  mosquitto_message_callback_set(mosq_, &MqttSubscriber::OnMessage);
  mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
  // The loop thread connects, and connects again whenever the broker went away.
  mosquitto_connect_async(mosq_, "127.0.0.1", port, 10);
  if (mosquitto_loop_start(mosq_) != MOSQ_ERR_SUCCESS) throw std::runtime_error("mosquitto_loop_start failed");
}

MqttSubscriber::~MqttSubscriber() {
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, true);
  mosquitto_destroy(mosq_);
}

void MqttSubscriber::OnConnect(mosquitto* m, void* self, int rc) {
  if (rc == 0) mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber*>(self)->filter_.c_str(), 1);
}

void MqttSubscriber::OnSubscribe(mosquitto*, void* self, int, int, const int*) {
  auto* s = static_cast<MqttSubscriber*>(self);
  std::lock_guard guard(s->lock_);
  ++s->subscriptions_;
  s->changed_.notify_all();
}

void MqttSubscriber::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* s = static_cast<MqttSubscriber*>(self);
  ReceivedMessage m;
  m.Topic = message->topic;
  m.Payload.assign(static_cast<const char*>(message->payload), static_cast<size_t>(message->payloadlen));
  m.Retained = message->retain;
  std::lock_guard guard(s->lock_);
  s->messages_.push_back(std::move(m));
  s->changed_.notify_all();
}

bool MqttSubscriber::WaitSubscribed(int times, double seconds) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, std::chrono::duration<double>(seconds), [&] { return subscriptions_ >= times; });
}

std::vector<ReceivedMessage> MqttSubscriber::Messages() const {
  std::lock_guard guard(lock_);
  return messages_;
}

size_t MqttSubscriber::Count() const {
  std::lock_guard guard(lock_);
  return messages_.size();
}

std::optional<ReceivedMessage> MqttSubscriber::WaitFor(const Match& match, double seconds, size_t from) {
  std::unique_lock guard(lock_);
  std::optional<ReceivedMessage> found;
  changed_.wait_for(guard, std::chrono::duration<double>(seconds), [&] {
    for (size_t i = from; i < messages_.size(); ++i)
      if (match(messages_[i])) {
        found = messages_[i];
        return true;
      }
    return false;
  });
  return found;
}

std::optional<ReceivedMessage> MqttSubscriber::WaitFor(const std::string& topic, double seconds, size_t from) {
  return WaitFor([&](const ReceivedMessage& m) { return m.Topic == topic; }, seconds, from);
}

std::optional<ReceivedMessage> MqttSubscriber::WaitFor(const std::string& topic, const std::string& payload,
                                                       double seconds, size_t from) {
  return WaitFor([&](const ReceivedMessage& m) { return m.Topic == topic && m.Payload == payload; }, seconds, from);
}

bool MqttSubscriber::Publish(const std::string& topic, const std::string& payload, bool retain) {
  return mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                           retain) == MOSQ_ERR_SUCCESS;
}
