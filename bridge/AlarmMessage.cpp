#include "bridge/AlarmMessage.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

}  // namespace

std::string IsoTime(Alarm::Clock::time_point time) {
  // Qt's calendar rather than gmtime_r, which Windows does not have.
  const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
  return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toStdString();
}

std::string AlarmMessage(const Alarm::PlantState& state) {
  const std::optional<Alarm::Clock::time_point> last = state.LastExchange();
  const QJsonObject message{
      {"problem", OnOff(state.Fault().has_value())},
      {"fault", QString::fromStdString(state.Fault().value_or(""))},
      {"link", OnOff(state.LinkState() == Alarm::Link::Up)},
      {"monitoring", OnOff(state.Monitoring().value_or(false))},
      {"last_exchange", last ? QJsonValue(QString::fromStdString(IsoTime(*last))) : QJsonValue(QJsonValue::Null)},
  };
  return QJsonDocument(message).toJson(QJsonDocument::Compact).toStdString();
}
