#pragma once
// The command catalogue: one builder per pending-command slot, the month-table
// entry that goes out at once, and the filters that clean texts for the controller.
#include <cstdint>

// Control positions that some builders read when the frame is built, and the
// two settings-window effects of commands. The settings windows implement it;
// until they are attached the controls' start positions are used.
class CommandControls {
public:
  virtual ~CommandControls() = default;
  virtual int PulsesPerKwhPosition() const = 0;  // 10..30000
  virtual int DisplayOnHour() const = 0;         // 0..23
  virtual int DisplayOffHour() const = 0;        // 0..23
  virtual int LargeDisplayType() const = 0;      // 0..3
  virtual int CalibrationPosition() const = 0;   // 50..1200 mV
  // The restart counter was cleared: the settings window shows "0".
  virtual void RestartCountCleared() = 0;
  // The year energy was cleared: the settings window hides its confirmation panel.
  virtual void YearEnergyCleared() = 0;
};

// Attaches the controls; nullptr goes back to the start positions.
void SetCommandControls(CommandControls* controls);
CommandControls& CurrentCommandControls();

// Slot numbers of the commands.
enum CommandSlot : int {
  SlotSetMeterCount = 1,
  SlotSetPlantSize = 2,
  SlotSetPulsesPerKwh = 3,
  SlotSetTariff = 4,
  SlotSetConnectionMode = 5,
  SlotClearRestartCount = 6,
  SlotSetDateTime = 7,
  SlotStartLearningPhase = 9,
  SlotSendServiceNumber = 10,
  SlotSetModemType = 11,
  SlotSetStartScreenLine1 = 12,
  SlotSetStartScreenLine2 = 13,
  SlotSetStartScreenLine3 = 14,
  SlotSetStartScreenLine4 = 15,
  SlotOutputTestOn = 16,
  SlotOutputTestOff = 17,
  SlotClearYearEnergy = 18,
  SlotClearDailyValues = 19,
  SlotSetCommissioningMonth = 20,
  SlotSetCommissioningYear = 21,
  SlotSetDialPrefix = 22,
  SlotSetSmsNumber = 23,
  SlotSetDisplayOnHour = 24,
  SlotSetDisplayOffHour = 25,
  SlotSetLargeDisplayType = 26,
  SlotSetCalibration = 27,
  SlotSetMonitorSensitivity = 28,
  SlotDialPrefixValue = 29,                     // no command: the yes/no byte of SlotSetDialPrefix
  LastCommandSlot = SlotSetMonitorSensitivity,  // the slots 1..this one are commands
};

// Marks a command for the polling tick (sets its slot to 1).
void MarkCommand(int slot);
// Marks the factory settings: set the clock, start the learning phase and
// send the service number.
void MarkFactoryReset();
// The slot whose command the polling tick sends next, 0 when none is marked:
// the lowest marked slot, except that a pending factory reset goes first, so
// that the user's other settings of the same cycle reach the controller after it.
int NextPendingCommand();
// Builds the command of a slot into TxFrame and sends it. Returns false for a
// slot without a command (8, 29, out of range), which sends nothing.
bool BuildCommand(int slot);

// The fixed service number that SendServiceNumber puts into SmsNumber.
extern const char ServiceNumber[13];
// Sends the service number. A number the user confirmed that still waits for
// SetSmsNumber stays in SmsNumber and goes out after it.
void SendServiceNumber();

// Builds and sends the month-table entry at once: code (position + MonthOffset)
// modulo 256, value the low 16 bits of the number.
void SetMonthTableEntry(int monthPosition, uint32_t value);
// Reads the typed month-table value: up to five decimal digits after optional
// blanks; reading stops at the first other character; no digits read as 0.
uint32_t ParseMonthTableValue(const char* text);

// Cleans a start-screen line (code page 1252, at most 20 characters) into
// StartScreenLines[line]: 20 characters padded with spaces.
void FilterText(int line, const char* text);
// Cleans a typed SMS number into the 13-byte buffer out: 12 characters, a
// digit stays, anything else (the end of a shorter text included) becomes '.'.
void FilterSmsNumber(const char* text, char out[13]);
