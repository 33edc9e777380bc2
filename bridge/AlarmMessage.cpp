#include "bridge/AlarmMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <ctime>

namespace {

const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

}  // namespace

std::string IsoTime(Alarm::Clock::time_point time) {
  const std::time_t seconds = Alarm::Clock::to_time_t(time);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
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
