#pragma once
// libmosquitto's connect call on a thread of its own. The call resolves the
// broker's name, and a resolver that does not answer holds it for many seconds
// per attempt: the polling's thread must never wait for that. The call's
// result comes back through Qt's event loop; while it runs, the caller leaves
// the mosquitto object alone.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

struct mosquitto;

class MqttOpener : public QObject {
public:
  // libmosquitto's result and the errno that goes with it.
  using Done = std::function<void(int rc, int systemError)>;

  MqttOpener() = default;
  // Does not wait for a call still running: that one's result is dropped.
  ~MqttOpener() override;
  MqttOpener(const MqttOpener&) = delete;
  MqttOpener& operator=(const MqttOpener&) = delete;

  bool Busy() const { return busy_; }
  // Starts mosquitto_connect_async; `done` runs on this object's thread.
  // Only when not Busy.
  void Open(mosquitto* mosq, const std::string& host, int port, int keepAliveSeconds, Done done);
  // Destroys the mosquitto object now, or when the running call has returned.
  void Destroy(mosquitto* mosq);

private:
  struct Call;  // what the call's thread and this object share

  void Start(mosquitto* mosq, const std::string& host, int port, int keepAliveSeconds);
  void Finished(int rc, int systemError);

  std::shared_ptr<Call> call_;
  bool busy_ = false;
  Done done_;
};
