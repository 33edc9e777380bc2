#pragma once
// The code byte of each command frame, by its group (FE 8F L group code ..):
// the names the command builders use instead of bare numbers.
#include <cstdint>

namespace CommandCode {

// Group SetValue: a 16-bit or one-byte setting.
constexpr uint8_t RestartCount = 0x04;
constexpr uint8_t LargeDisplayType = 0x07;
constexpr uint8_t ConnectionMode = 0x0A;
constexpr uint8_t Tariff = 0x0D;
constexpr uint8_t ModemType = 0x14;
constexpr uint8_t CommissioningMonth = 0x23;
constexpr uint8_t CommissioningYear = 0x24;
constexpr uint8_t MeterCount = 0x25;
constexpr uint8_t PlantSize = 0x26;
constexpr uint8_t PulsesPerKwh = 0x27;
constexpr uint8_t DialPrefix = 0x2A;
constexpr uint8_t DisplayOnHour = 0x2B;
constexpr uint8_t DisplayOffHour = 0x2C;
constexpr uint8_t Calibration = 0x2E;
constexpr uint8_t MonitorSensitivity = 0x30;

// Group Action: an action without a value (the output test with a one-byte switch).
constexpr uint8_t OutputTest = 0x00;
constexpr uint8_t ClearDailyValues = 0x01;
constexpr uint8_t ClearYearEnergy = 0x02;
constexpr uint8_t StartLearningPhase = 0x03;
constexpr uint8_t SetDateTime = 0x06;

}  // namespace CommandCode
