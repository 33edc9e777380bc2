#include "bridge/MqttClient.h"

#include <mosquitto.h>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "base/Exception.h"

namespace {

// libmosquitto's text for a result; for a system error the system's text
// (on Windows the library's errno is a Winsock code, which strerror does not know).
std::string ErrorText(int rc, int systemError) {
  if (rc == MOSQ_ERR_ERRNO) return std::system_category().message(systemError);
  // The library has no text of its own for it.
  if (rc == MOSQ_ERR_KEEPALIVE) return "the broker did not answer within the keep-alive time";
  return mosquitto_strerror(rc);
}

// What a publish or subscribe returns when the connection itself has failed.
bool IsConnectionFailure(int rc) {
  return rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_ERRNO || rc == MOSQ_ERR_TLS ||
         rc == MOSQ_ERR_KEEPALIVE;
}

void Check(int rc, const std::string& what) {
  if (rc != MOSQ_ERR_SUCCESS) throw Exception(what + ": " + ErrorText(rc, errno));
}

void InitLibraryOnce() {
  static const int init = mosquitto_lib_init();
  (void)init;
}

// Queued signal handlers may still be on their way: delete a notifier from
// the event loop, never from inside its own signal.
void Retire(QSocketNotifier*& notifier) {
  if (notifier == nullptr) return;
  notifier->setEnabled(false);
  notifier->deleteLater();
  notifier = nullptr;
}

}  // namespace

MqttClient::MqttClient(const MqttSettings& settings) : settings_(settings) {
  InitLibraryOnce();
  mosq_ = mosquitto_new(settings_.ClientId.c_str(), true, this);
  if (mosq_ == nullptr) throw Exception(std::string("cannot create the MQTT client (") + std::strerror(errno) + ")");
  Configure();
  keepAlive_.setInterval(1000);
  QObject::connect(&keepAlive_, &QTimer::timeout, this, [this] { Loop(mosquitto_loop_misc(mosq_)); });
  attemptLimit_.setSingleShot(true);
  QObject::connect(&attemptLimit_, &QTimer::timeout, this,
                   [this] { Lose("no answer within " + std::to_string(AttemptLimit.count()) + " s"); });
  finishLimit_.setSingleShot(true);
  QObject::connect(&finishLimit_, &QTimer::timeout, this, [this] { FinishDone(); });
}

MqttClient::~MqttClient() {
  StopWatching();
  // An opening still running must not log into this object once it is gone.
  mosquitto_log_callback_set(mosq_, nullptr);
  opener_.Destroy(mosq_);
}

void MqttClient::Configure() {
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  if (!settings_.User.empty()) {
    const char* password = settings_.Password.empty() ? nullptr : settings_.Password.c_str();
    Check(mosquitto_username_pw_set(mosq_, settings_.User.c_str(), password), "MQTT login");
  }
  if (!settings_.CaFile.empty())
    Check(mosquitto_tls_set(mosq_, settings_.CaFile.c_str(), nullptr, nullptr, nullptr, nullptr),
          "TLS with the certificate authority " + settings_.CaFile);
  if (!settings_.WillTopic.empty())
    Check(mosquitto_will_set(mosq_, settings_.WillTopic.c_str(), static_cast<int>(settings_.WillPayload.size()),
                             settings_.WillPayload.data(), 1, true),
          "MQTT last will");
  mosquitto_connect_callback_set(mosq_, &MqttClient::ConnectCallback);
  mosquitto_log_callback_set(mosq_, &MqttClient::LogCallback);
  mosquitto_publish_callback_set(mosq_, &MqttClient::PublishCallback);
  mosquitto_message_callback_set(mosq_, &MqttClient::MessageCallback);
}

std::string MqttClient::Address() const { return settings_.Host + ":" + std::to_string(settings_.Port); }

// The attempt's limit covers resolving the broker's name as well.
void MqttClient::Connect() {
  state_ = State::Connecting;
  attemptLimit_.start(AttemptLimit);
  if (opener_.Busy()) {
    openAgain_ = true;
    return;
  }
  Open();
}

void MqttClient::Open() {
  StopWatching();
  keepAlive_.stop();  // the library's object is the opening thread's until it is done
  accepted_ = false;
  acknowledged_ = 0;
  unacknowledged_ = 0;
  disconnectSent_ = false;
  ++attempt_;
  refusal_.clear();
  libraryError_.clear();
  // Opens the socket without waiting for the connection; the CONNECT packet
  // waits in the queue until the socket can be written.
  opener_.Open(mosq_, settings_.Host, settings_.Port, settings_.KeepAliveSeconds,
               [this](int rc, int systemError) { Opened(rc, systemError); });
}

// An attempt given up while it was opening has no use for the result; a
// newer one opens now.
void MqttClient::Opened(int rc, int systemError) {
  if (std::exchange(openAgain_, false)) {
    if (state_ == State::Connecting) Open();
    return;
  }
  if (state_ != State::Connecting) return;
  if (rc != MOSQ_ERR_SUCCESS) {
    Lose(LossReason(rc, systemError));
    return;
  }
  keepAlive_.start();
  WatchSocket();
}

bool MqttClient::Publish(const std::string& topic, const std::string& payload, bool retain) {
  if (state_ != State::Connected) return false;
  const int rc =
      mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1, retain);
  WatchSocket();
  if (rc == MOSQ_ERR_SUCCESS) ++unacknowledged_;
  else WriteFailed(rc);
  return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::Subscribe(const std::string& pattern) {
  if (state_ != State::Connected) return false;
  const int rc = mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1);
  WatchSocket();
  if (rc != MOSQ_ERR_SUCCESS) WriteFailed(rc);
  return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::Finish(std::function<void()> done) {
  finished_ = std::move(done);
  attemptLimit_.stop();
  if (state_ != State::Connected) {
    FinishDone();
    return;
  }
  state_ = State::Finishing;
  finishLimit_.start(FinishLimit);
  if (unacknowledged_ == 0) SendDisconnect();
  Loop(MOSQ_ERR_SUCCESS);
}

// Only once every message is acknowledged: mosquitto (2.0) that reads the
// DISCONNECT while it still owes PUBACKs for several messages drops the
// client as if it had failed, instead of as a clean goodbye.
void MqttClient::SendDisconnect() {
  if (disconnectSent_) return;
  disconnectSent_ = true;
  mosquitto_disconnect(mosq_);
}

void MqttClient::LogCallback(mosquitto*, void* self, int level, const char* text) {
  if (level & MOSQ_LOG_ERR) static_cast<MqttClient*>(self)->libraryError_ = text;
}

void MqttClient::PublishCallback(mosquitto*, void* self, int) {
  auto* client = static_cast<MqttClient*>(self);
  ++client->acknowledged_;
  if (client->unacknowledged_ > 0) --client->unacknowledged_;
  if (client->state_ == State::Finishing && client->unacknowledged_ == 0) client->SendDisconnect();
  if (client->On.Delivered) client->On.Delivered();
}

void MqttClient::MessageCallback(mosquitto*, void* self, const mosquitto_message* message) {
  auto* client = static_cast<MqttClient*>(self);
  if (!client->On.Message || message->topic == nullptr) return;
  const std::string payload = message->payloadlen > 0 ? std::string(static_cast<const char*>(message->payload),
                                                                    static_cast<size_t>(message->payloadlen))
                                                      : std::string();
  client->On.Message(message->topic, payload, message->retain);
}

void MqttClient::ConnectCallback(mosquitto*, void* self, int rc) {
  auto* client = static_cast<MqttClient*>(self);
  client->accepted_ = rc == 0;
  if (rc != 0) client->refusal_ = std::string("refused: ") + mosquitto_connack_string(rc);
}

// After every call into libmosquitto: the broker's answer, a closed socket,
// or a socket to go on watching.
void MqttClient::Loop(int rc) {
  const int systemError = errno;
  if (state_ == State::Idle) return;
  const bool open = mosquitto_socket(mosq_) >= 0;
  if (state_ == State::Finishing) {
    if (!open || rc != MOSQ_ERR_SUCCESS) FinishDone();
    else WatchSocket();
    return;
  }
  if (rc != MOSQ_ERR_SUCCESS || !open) {
    Lose(LossReason(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc, systemError));
    return;
  }
  WatchSocket();
  if (state_ == State::Connecting && accepted_) {
    state_ = State::Connected;
    attemptLimit_.stop();
    if (On.Connected) On.Connected();
    WatchSocket();  // what Connected published
  }
}

// The broker's refusal, or the library's text with OpenSSL's reason for a TLS
// error (the handshake may fail at once, inside the connect call, or later).
std::string MqttClient::LossReason(int rc, int systemError) const {
  if (!refusal_.empty()) return refusal_;
  if (rc == MOSQ_ERR_TLS && !libraryError_.empty()) return ErrorText(rc, systemError) + " " + libraryError_;
  return ErrorText(rc, systemError);
}

void MqttClient::WatchSocket() {
  const int fd = mosquitto_socket(mosq_);
  if (fd != fd_) {
    StopWatching();
    if (fd < 0) return;
    fd_ = fd;
    reader_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    writer_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    QObject::connect(reader_, &QSocketNotifier::activated, this, [this] { Loop(mosquitto_loop_read(mosq_, 1)); });
    QObject::connect(writer_, &QSocketNotifier::activated, this, [this] { Loop(mosquitto_loop_write(mosq_, 1)); });
  }
  writer_->setEnabled(mosquitto_want_write(mosq_));
}

void MqttClient::StopWatching() {
  Retire(reader_);
  Retire(writer_);
  fd_ = -1;
}

void MqttClient::Lose(const std::string& why) {
  if (state_ != State::Connecting && state_ != State::Connected) return;
  state_ = State::Idle;
  attemptLimit_.stop();
  keepAlive_.stop();
  StopWatching();
  if (On.Lost) On.Lost(why);
}

// A write that failed on the connection ends it, said from the event loop
// rather than from inside the caller's publishing. A read usually notices the
// loss first; not where the closed socket never wakes the notifier (Winsock
// under wine, with TLS), and the library would refuse every message from then on.
void MqttClient::WriteFailed(int rc) {
  if (!IsConnectionFailure(rc)) return;
  const std::string why = LossReason(rc, errno);
  QMetaObject::invokeMethod(
      this,
      [this, why, attempt = attempt_] {
        if (attempt == attempt_) Lose(why);
      },
      Qt::QueuedConnection);
}

void MqttClient::FinishDone() {
  state_ = State::Idle;
  finishLimit_.stop();
  keepAlive_.stop();
  StopWatching();
  if (auto done = std::move(finished_)) {
    finished_ = nullptr;
    done();
  }
}
