#include "Commands.h"

#include <algorithm>
#include <cstring>

#include "Frames.h"
#include "link/CommandCodes.h"
#include "protocol/FrameFormat.h"
#include "store/PlantStore.h"

const char ServiceNumber[13] = "004930123456";

namespace {

// The controls' positions when the program starts.
class StartPositions : public CommandControls {
public:
  int PulsesPerKwhPosition() const override { return 10; }
  int DisplayOnHour() const override { return 0; }
  int DisplayOffHour() const override { return 0; }
  int LargeDisplayType() const override { return 0; }
  int CalibrationPosition() const override { return 50; }
  void RestartCountCleared() override {}
  void YearEnergyCleared() override {}
};

StartPositions DefaultControls;
CommandControls* Controls = &DefaultControls;

void Header(uint8_t length, uint8_t group, uint8_t code) {
  TxFrame[0] = FrameFormat::CommandHead0;
  TxFrame[1] = FrameFormat::CommandHead1;
  TxFrame[2] = length;
  TxFrame[3] = group;
  TxFrame[4] = code;
}

// A 16-bit value, high byte first (length 9).
void SendWord(uint8_t group, uint8_t code, uint32_t value) {
  Header(9, group, code);
  TxFrame[5] = static_cast<uint8_t>(value >> 8);
  TxFrame[6] = static_cast<uint8_t>(value);
  TxFrame[7] = 0;
  SendFrame();
}

// A one-byte value (length 9, offset 5 = 0).
void SendByte(uint8_t code, int value) {
  Header(9, FrameFormat::GroupSetValue, code);
  TxFrame[5] = 0;
  TxFrame[6] = static_cast<uint8_t>(value);
  TxFrame[7] = 0;
  SendFrame();
}

// An action without value (length 7).
void SendAction(uint8_t code) {
  Header(7, FrameFormat::GroupAction, code);
  TxFrame[5] = 0;
  SendFrame();
}

// The output test: an action with a one-byte argument (length 8).
void SendOutputTest(uint8_t on) {
  Header(8, FrameFormat::GroupAction, CommandCode::OutputTest);
  TxFrame[5] = on;
  TxFrame[6] = 0;
  SendFrame();
}

// A start-screen line (length 28); the byte the line leaves free is sent as 0.
void SendStartScreenLine(int line) {
  Header(28, FrameFormat::GroupStartScreenLine, static_cast<uint8_t>(line));
  std::memcpy(TxFrame + 5, StartScreenLines[line], 20);
  TxFrame[25] = 0;
  TxFrame[26] = 0;
  SendFrame();
}

// A number text (length 30); the bytes after the number are sent as 0.
void SendNumberText(const char* number) {
  TxFrame[0] = FrameFormat::CommandHead0;
  TxFrame[1] = FrameFormat::CommandHead1;
  TxFrame[2] = 30;
  TxFrame[3] = FrameFormat::GroupNumberText;
  std::memcpy(TxFrame + 4, number, 12);
  std::memset(TxFrame + 16, 0, 12);
  TxFrame[28] = 0;
  SendFrame();
}

// The commands of the factory settings in the order they go out; only the
// factory settings mark SendServiceNumber.
constexpr int FactoryResetSlots[] = {SlotSetDateTime, SlotStartLearningPhase, SlotSendServiceNumber};

bool IsKeptInStartScreen(uint8_t c) {
  if (c >= 0x30 && c <= 0x7A) return true;
  switch (c) {
    case ' ':
    case '-':
    case '&':
    case '+':
    case '*':
    case '(':
    case ')':
    case '%':
    case '!':
    case ',':
    case '#':
    case '.':
    case 0xC4:
    case 0xD6:
    case 0xDC:
    case 0xE4:
    case 0xF6:
    case 0xFC:  // ÄÖÜäöü
      return true;
    default: return false;
  }
}

}  // namespace

void SetCommandControls(CommandControls* controls) { Controls = controls != nullptr ? controls : &DefaultControls; }

CommandControls& CurrentCommandControls() { return *Controls; }

void MarkCommand(int slot) {
  if (slot >= 1 && slot <= PendingSlots) PendingCommands[slot] = 1;
}

void MarkFactoryReset() {
  for (const int slot : FactoryResetSlots) MarkCommand(slot);
}

int NextPendingCommand() {
  if (PendingCommands[SlotSendServiceNumber] == 1)
    for (const int slot : FactoryResetSlots)
      if (PendingCommands[slot] == 1) return slot;
  for (int slot = 1; slot <= PendingSlots; ++slot)
    if (PendingCommands[slot] == 1) return slot;
  return 0;
}

bool BuildCommand(int slot) {
  using namespace FrameFormat;
  switch (slot) {
    case SlotSetMeterCount: SendWord(GroupSetValue, CommandCode::MeterCount, MeterCountSetting); break;
    case SlotSetPlantSize: SendWord(GroupSetValue, CommandCode::PlantSize, PlantSizeSetting); break;
    case SlotSetPulsesPerKwh:
      SendWord(GroupSetValue, CommandCode::PulsesPerKwh, static_cast<uint32_t>(Controls->PulsesPerKwhPosition()) * 10u);
      break;
    case SlotSetTariff: SendWord(GroupSetValue, CommandCode::Tariff, TariffSetting); break;
    case SlotSetConnectionMode: SendByte(CommandCode::ConnectionMode, ConnectionModeSetting); break;
    case SlotClearRestartCount:
      SendWord(GroupSetValue, CommandCode::RestartCount, 0);
      Controls->RestartCountCleared();
      break;
    case SlotSetDateTime: SendAction(CommandCode::SetDateTime); break;
    case SlotStartLearningPhase: SendAction(CommandCode::StartLearningPhase); break;
    case SlotSendServiceNumber: SendServiceNumber(); break;
    case SlotSetModemType: SendByte(CommandCode::ModemType, ModemTypeSetting); break;
    case SlotSetStartScreenLine1:
    case SlotSetStartScreenLine2:
    case SlotSetStartScreenLine3:
    case SlotSetStartScreenLine4: SendStartScreenLine(slot - SlotSetStartScreenLine1); break;
    case SlotOutputTestOn: SendOutputTest(1); break;
    case SlotOutputTestOff: SendOutputTest(0); break;
    case SlotClearYearEnergy:
      SendAction(CommandCode::ClearYearEnergy);
      Controls->YearEnergyCleared();
      break;
    case SlotClearDailyValues: SendAction(CommandCode::ClearDailyValues); break;
    case SlotSetCommissioningMonth:
      SendWord(GroupSetValue, CommandCode::CommissioningMonth, CommissioningMonthSetting);
      break;
    case SlotSetCommissioningYear:
      SendWord(GroupSetValue, CommandCode::CommissioningYear, CommissioningYearSetting);
      break;
    case SlotSetDialPrefix: SendByte(CommandCode::DialPrefix, PendingCommands[SlotDialPrefixValue]); break;
    case SlotSetSmsNumber: SendNumberText(SmsNumber); break;
    case SlotSetDisplayOnHour: SendWord(GroupSetValue, CommandCode::DisplayOnHour, Controls->DisplayOnHour()); break;
    case SlotSetDisplayOffHour: SendWord(GroupSetValue, CommandCode::DisplayOffHour, Controls->DisplayOffHour()); break;
    case SlotSetLargeDisplayType:
      SendWord(GroupSetValue, CommandCode::LargeDisplayType, Controls->LargeDisplayType());
      break;
    case SlotSetCalibration: SendWord(GroupSetValue, CommandCode::Calibration, Controls->CalibrationPosition()); break;
    case SlotSetMonitorSensitivity: SendWord(GroupSetValue, CommandCode::MonitorSensitivity, SensitivitySetting); break;
    default: return false;
  }
  return true;
}

void SendServiceNumber() {
  if (PendingCommands[SlotSetSmsNumber] != 1) std::memcpy(SmsNumber, ServiceNumber, sizeof SmsNumber);
  SendNumberText(ServiceNumber);
}

void SetMonthTableEntry(int monthPosition, uint32_t value) {
  SendWord(FrameFormat::GroupMonthTable, static_cast<uint8_t>(monthPosition + MonthOffset), value & 0xFFFFu);
}

uint32_t ParseMonthTableValue(const char* text) {
  const char* p = text;
  while (*p == ' ') ++p;
  uint32_t value = 0;
  for (int digits = 0; digits < 5 && *p >= '0' && *p <= '9'; ++digits, ++p) value = value * 10 + (*p - '0');
  return value;
}

void FilterText(int line, const char* text) {
  if (line < 0 || line > 3) return;
  std::memset(TextBuffer, ' ', 20);
  const size_t length = std::min<size_t>(std::strlen(text), 20);
  std::memcpy(TextBuffer, text, length);
  TextBuffer[length] = '\0';
  for (int i = 0; i < 20; ++i) {
    const auto c = static_cast<uint8_t>(TextBuffer[i]);
    if (!IsKeptInStartScreen(c)) TextBuffer[i] = ' ';
  }
  TextBuffer[20] = '\0';
  std::memcpy(StartScreenLines[line], TextBuffer, 21);
}

void FilterSmsNumber(const char* text, char out[13]) {
  bool ended = false;
  for (int i = 0; i < 12; ++i) {
    const char c = ended ? '\0' : text[i];
    if (c == '\0') ended = true;
    out[i] = (c >= '0' && c <= '9') ? c : '.';
  }
  out[12] = '\0';
}
