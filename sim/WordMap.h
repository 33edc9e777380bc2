#pragma once
// Where the controller keeps each value in its blocks. The PC program reads the
// words marked "read by the PC"; the others are the simulator's own choice for
// settings the PC sends but never reads back.
namespace Sim::Words {

// Block2
constexpr int CanAddresses = 11;       // bits 0..8: "Adr.1".."Adr.8", "ER2"       (read by the PC)
constexpr int MaxPower = 12;           // today's highest plant power, 0.1 kW       (read by the PC)
constexpr int Day = 13, Month = 14;    // controller date                           (read by the PC)
constexpr int Year = 15;               // years since 1900                          (read by the PC)
constexpr int Hour = 16, Minute = 17;  // controller time                           (read by the PC)
constexpr int MonthCounter = 24;       // MonthRun index of the current month       (read by the PC)
constexpr int InternetId0 = 60, InternetId1 = 62, InternetId2 = 63;  // "Internetkennung" (read by the PC)
constexpr int ConnectionMode = 90;  // 0 COM server ("Internet"), 1 modem        (read by the PC)
constexpr int ModemType = 91;       // 1 Zentrix modem, 0 INSYS Pocket           (simulator's choice)
constexpr int OutputTest = 92;      // 1 while the output test is on             (simulator's choice)

// Block3
constexpr int YieldYesterday = 1, YieldDayBefore = 2;  // 0.1 kWh                    (read by the PC)
constexpr int RestartCount = 4;
constexpr int LargeDisplayType = 7;
constexpr int DisplayCycle = 9;  // seconds
constexpr int Tariff = 13;       // cent per kWh
constexpr int LastSendHour = 18, LastSendMinute = 19;
constexpr int TodaySlot = 24;  // ring slot 0..2 of today
constexpr int LastSendDay = 25, LastSendMonth = 26;
constexpr int NetVersion = 31;  // "V %d.0"
constexpr int MonitoringOn = 32;
constexpr int CommissioningMonth = 35, CommissioningYear = 36;  // year in two digits
constexpr int MeterCount = 37;
constexpr int PlantSize = 38;  // 0.1 kWp
constexpr int PulsesPerKwh = 39;
constexpr int DialPrefix = 42;
constexpr int DisplayOnHour = 43, DisplayOffHour = 44;
constexpr int IrradiationYear = 45;  // kWh/m²
constexpr int Calibration = 46;      // the calibration control's position
constexpr int Sensitivity = 48;

// Block14
constexpr int FaultReport = 75;  // 0 none, 33 meter 1, else the deviating meter
constexpr int Er3 = 80;
constexpr int IrradiationToday = 81;  // Wh/m²
constexpr int ModuleTemp = 85;        // highest today, °C + 20

// Block17 (beyond the month slots that a plant of up to 14 years uses)
constexpr int SmsNumberText = 0;    // 12 characters in words 0..5, high byte first (read by the PC)
constexpr int StartScreenText = 6;  // four lines of 20 characters, words 6..45

// MonthRun: month m of plant year y at 24 + 12 y + m; the meters' yearly yields from 262 on.
constexpr int FirstMeterYearYield = 262;
constexpr int PlantYears = 14;  // the month slots end before the texts in Block17

}  // namespace Sim::Words
