#pragma once
// The values the bridge publishes: one table of the plant's sensors and one of
// each meter's, with each sensor's key in the state message, its name, unit
// and Home Assistant classes, and how its value comes from a reading. The state
// message and the discovery configs are both made from these tables, so their
// keys cannot drift apart. A value that the page shows as "---" is null.
#include <QJsonValue>
#include <string>
#include <vector>

#include "bridge/PlantReading.h"

struct SensorTraits {
  const char* Id;           // in unique ids and discovery topics; never changes
  const char* Key;          // in the state message, with the unit in the name
  const char* Name;         // shown by Home Assistant
  const char* Unit;         // nullptr: none (a text)
  const char* DeviceClass;  // nullptr: none
  const char* StateClass;   // nullptr: none
  int Precision;            // decimals suggested for display; -1: no suggestion
  bool Diagnostic;          // about the controller, not the plant's output
};

struct PlantSensor {
  SensorTraits Traits;
  QJsonValue (*Value)(const PlantReading&);
};

struct MeterSensor {
  SensorTraits Traits;  // Id and Name get the meter's number in front
  QJsonValue (*Value)(const MeterFigures&);
};

const std::vector<PlantSensor>& PlantSensors();
const std::vector<MeterSensor>& MeterSensors();

// The state message's key of the meters' list: value_json.meters[k - 1].<key>.
constexpr const char* MetersKey = "meters";

// x rounded to the decimals as printf rounds it, so that a published value
// reads the same as the figure printed with those decimals.
double Rounded(double x, int decimals);
