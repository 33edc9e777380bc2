#include "bridge/StateMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "bridge/Sensors.h"

namespace {

QJsonObject MeterObject(int number, const MeterFigures& meter) {
  QJsonObject object{{"meter", number}};
  for (const MeterSensor& sensor : MeterSensors()) object.insert(sensor.Traits.Key, sensor.Value(meter));
  return object;
}

}  // namespace

QJsonObject StateObject(const PlantReading& reading) {
  QJsonObject state;
  for (const PlantSensor& sensor : PlantSensors()) state.insert(sensor.Traits.Key, sensor.Value(reading));
  QJsonArray meters;
  for (size_t i = 0; i < reading.Meters.size(); ++i)
    meters.append(MeterObject(static_cast<int>(i) + 1, reading.Meters[i]));
  state.insert(MetersKey, meters);
  return state;
}

std::string StateMessage(const QJsonObject& state) {
  return QJsonDocument(state).toJson(QJsonDocument::Compact).toStdString();
}

std::string StateMessage(const PlantReading& reading) { return StateMessage(StateObject(reading)); }
