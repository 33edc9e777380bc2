#include "CommandFrame.h"

#include "protocol/Cp1252.h"
#include "protocol/FrameFormat.h"

namespace Sim {

namespace {

struct ValueCommand {
  uint8_t Code;
  CommandKind Kind;
};

// Group 1: set a value (frame length 9, value in bytes 5 and 6).
constexpr ValueCommand ValueCommands[] = {
    {0x25, CommandKind::SetMeterCount},         {0x26, CommandKind::SetPlantSize},
    {0x27, CommandKind::SetPulsesPerKwh},       {0x0D, CommandKind::SetTariff},
    {0x0A, CommandKind::SetConnectionMode},     {0x04, CommandKind::ClearRestartCount},
    {0x14, CommandKind::SetModemType},          {0x23, CommandKind::SetCommissioningMonth},
    {0x24, CommandKind::SetCommissioningYear},  {0x2A, CommandKind::SetDialPrefix},
    {0x2B, CommandKind::SetDisplayOnHour},      {0x2C, CommandKind::SetDisplayOffHour},
    {0x07, CommandKind::SetLargeDisplayType},   {0x2E, CommandKind::SetCalibration},
    {0x30, CommandKind::SetMonitorSensitivity},
};

CommandKind ActionKind(uint8_t code) {
  switch (code) {
    case 0x01: return CommandKind::ClearDailyValues;
    case 0x02: return CommandKind::ClearYearEnergy;
    case 0x03: return CommandKind::StartLearningPhase;
    case 0x06: return CommandKind::SetDateTime;
    default: return CommandKind::Unknown;
  }
}

// A received text for the log: control bytes become '?', the rest goes to UTF-8.
std::string Printable(std::string text) {
  for (char& ch : text)
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = '?';
  return Utf8FromCp1252(text);
}

unsigned WordAt(const uint8_t* frame) { return static_cast<unsigned>(frame[5] << 8 | frame[6]); }

Command DecodeValue(const uint8_t* frame, size_t length) {
  Command c;
  if (length != 9) return c;
  for (const ValueCommand& v : ValueCommands)
    if (v.Code == frame[4]) c.Kind = v.Kind;
  c.Value = WordAt(frame);
  return c;
}

Command DecodeAction(const uint8_t* frame, size_t length) {
  Command c;
  if (frame[4] == 0x00) {  // the output test carries its on/off byte
    if (length == 8) c.Kind = frame[5] != 0 ? CommandKind::OutputTestOn : CommandKind::OutputTestOff;
    return c;
  }
  if (length == 7) c.Kind = ActionKind(frame[4]);
  return c;
}

}  // namespace

Command DecodeCommand(const uint8_t* frame, size_t length) {
  Command c;
  if (length < 7) return c;
  switch (frame[3]) {
    case FrameFormat::GroupSetValue: return DecodeValue(frame, length);
    case FrameFormat::GroupAction: return DecodeAction(frame, length);
    case FrameFormat::GroupStartScreenLine:
      if (length == 28) {
        c.Kind = CommandKind::SetStartScreenLine;
        c.Index = frame[4];
        c.Text.assign(reinterpret_cast<const char*>(frame + 5), 20);
      }
      return c;
    case FrameFormat::GroupNumberText:
      if (length == 30) {
        c.Kind = CommandKind::SetSmsNumber;
        c.Text.assign(reinterpret_cast<const char*>(frame + 4), 12);
      }
      return c;
    case FrameFormat::GroupMonthTable:
      if (length == 9) {
        c.Kind = CommandKind::SetMonthTableEntry;
        c.Index = frame[4];
        c.Value = WordAt(frame);
      }
      return c;
    default: return c;
  }
}

const char* CommandName(CommandKind kind) {
  switch (kind) {
    case CommandKind::SetMeterCount: return "SetMeterCount";
    case CommandKind::SetPlantSize: return "SetPlantSize";
    case CommandKind::SetPulsesPerKwh: return "SetPulsesPerKwh";
    case CommandKind::SetTariff: return "SetTariff";
    case CommandKind::SetConnectionMode: return "SetConnectionMode";
    case CommandKind::ClearRestartCount: return "ClearRestartCount";
    case CommandKind::SetDateTime: return "SetDateTime";
    case CommandKind::StartLearningPhase: return "StartLearningPhase";
    case CommandKind::SetModemType: return "SetModemType";
    case CommandKind::SetStartScreenLine: return "SetStartScreenLine";
    case CommandKind::OutputTestOn: return "OutputTestOn";
    case CommandKind::OutputTestOff: return "OutputTestOff";
    case CommandKind::ClearYearEnergy: return "ClearYearEnergy";
    case CommandKind::ClearDailyValues: return "ClearDailyValues";
    case CommandKind::SetCommissioningMonth: return "SetCommissioningMonth";
    case CommandKind::SetCommissioningYear: return "SetCommissioningYear";
    case CommandKind::SetDialPrefix: return "SetDialPrefix";
    case CommandKind::SetSmsNumber: return "SetSmsNumber";
    case CommandKind::SetDisplayOnHour: return "SetDisplayOnHour";
    case CommandKind::SetDisplayOffHour: return "SetDisplayOffHour";
    case CommandKind::SetLargeDisplayType: return "SetLargeDisplayType";
    case CommandKind::SetCalibration: return "SetCalibration";
    case CommandKind::SetMonitorSensitivity: return "SetMonitorSensitivity";
    case CommandKind::SetMonthTableEntry: return "SetMonthTableEntry";
    case CommandKind::Unknown: break;
  }
  return "UnknownCommand";
}

std::string DescribeCommand(const Command& c) {
  std::string text = CommandName(c.Kind);
  switch (c.Kind) {
    case CommandKind::SetDateTime:
    case CommandKind::StartLearningPhase:
    case CommandKind::OutputTestOn:
    case CommandKind::OutputTestOff:
    case CommandKind::ClearYearEnergy:
    case CommandKind::ClearDailyValues:
    case CommandKind::Unknown: return text;
    case CommandKind::SetStartScreenLine:
      return text + " " + std::to_string(c.Index + 1) + " \"" + Printable(c.Text) + "\"";
    case CommandKind::SetSmsNumber: return text + " \"" + Printable(c.Text) + "\"";
    case CommandKind::SetMonthTableEntry: return text + " " + std::to_string(c.Index) + " " + std::to_string(c.Value);
    default: return text + " " + std::to_string(c.Value);
  }
}

}  // namespace Sim
