#include "bridge/MqttOpener.h"

#include <mosquitto.h>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>

// Once the owner has gone (abandoned), the thread posts nothing and destroys
// the mosquitto object it was handed, if any. The lock orders a post before
// the owner's destruction, which removes the posted result with the object.
struct MqttOpener::Call {
  std::mutex Lock;
  bool Abandoned = false;
  bool Returned = false;  // the connect call has returned
  mosquitto* ToDestroy = nullptr;
};

MqttOpener::~MqttOpener() {
  if (!call_) return;
  std::lock_guard<std::mutex> lock(call_->Lock);
  call_->Abandoned = true;
}

void MqttOpener::Open(mosquitto* mosq, const std::string& host, int port, int keepAliveSeconds, Done done) {
  busy_ = true;
  done_ = std::move(done);
  call_ = std::make_shared<Call>();
  try {
    Start(mosq, host, port, keepAliveSeconds);
  } catch (const std::system_error& error) {  // no thread to be had
    const int systemError = error.code().value();
    QMetaObject::invokeMethod(
        this, [this, systemError] { Finished(MOSQ_ERR_ERRNO, systemError); }, Qt::QueuedConnection);
  }
}

void MqttOpener::Start(mosquitto* mosq, const std::string& host, int port, int keepAliveSeconds) {
  std::thread([this, call = call_, mosq, host, port, keepAliveSeconds] {
    errno = 0;
    const int rc = mosquitto_connect_async(mosq, host.c_str(), port, keepAliveSeconds);
    const int systemError = errno;
    std::lock_guard<std::mutex> lock(call->Lock);
    call->Returned = true;
    if (call->Abandoned) {
      if (call->ToDestroy != nullptr) mosquitto_destroy(call->ToDestroy);
      return;
    }
    QMetaObject::invokeMethod(
        this, [this, rc, systemError] { Finished(rc, systemError); }, Qt::QueuedConnection);
  }).detach();
}

void MqttOpener::Destroy(mosquitto* mosq) {
  if (!busy_) {
    mosquitto_destroy(mosq);
    return;
  }
  std::lock_guard<std::mutex> lock(call_->Lock);
  call_->Abandoned = true;
  if (call_->Returned) mosquitto_destroy(mosq);
  else call_->ToDestroy = mosq;
}

void MqttOpener::Finished(int rc, int systemError) {
  busy_ = false;
  call_.reset();
  if (auto done = std::move(done_)) done(rc, systemError);
}
