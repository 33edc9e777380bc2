#pragma once
// The PC's command frames (FE 8F L group code payload.. checksum) as the
// controller reads them: which command, its value or text, and its name for the log.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Sim {

enum class CommandKind {
  SetMeterCount,
  SetPlantSize,
  SetPulsesPerKwh,
  SetTariff,
  SetConnectionMode,
  ClearRestartCount,
  SetDateTime,
  StartLearningPhase,
  SetModemType,
  SetStartScreenLine,
  OutputTestOn,
  OutputTestOff,
  ClearYearEnergy,
  ClearDailyValues,
  SetCommissioningMonth,
  SetCommissioningYear,
  SetDialPrefix,
  SetSmsNumber,
  SetDisplayOnHour,
  SetDisplayOffHour,
  SetLargeDisplayType,
  SetCalibration,
  SetMonitorSensitivity,
  SetMonthTableEntry,
  Unknown,  // a group, code or length the controller does not know
};

struct Command {
  CommandKind Kind = CommandKind::Unknown;
  unsigned Value = 0;  // the 16-bit value (high byte first), or the one-byte value
  int Index = 0;       // start-screen line 0..3, or the month-table code byte
  std::string Text;    // the text of a start-screen line (20 bytes) or the SMS number (12 bytes)
};

// Reads a command frame with a good checksum (length = frame[2]).
Command DecodeCommand(const uint8_t* frame, size_t length);
// The command as one log phrase, e.g. "SetMeterCount 12" or "SetSmsNumber \"0171.234....\"".
std::string DescribeCommand(const Command& command);
const char* CommandName(CommandKind kind);

}  // namespace Sim
