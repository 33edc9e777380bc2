#pragma once
// The retained state message: one JSON object with every plant sensor's value
// under its key and the meters as a list, each with its number and values.
#include <QJsonObject>
#include <string>

#include "bridge/PlantReading.h"

QJsonObject StateObject(const PlantReading& reading);
std::string StateMessage(const QJsonObject& state);
std::string StateMessage(const PlantReading& reading);
