#pragma once
// The names of the store's words: where each value the program reads lies in
// its block table, e.g. Block2[Word::Block2::Month]. Units as the controller sends them.
namespace Word {

namespace Block2 {
constexpr int CanAddresses = 11;  // bits 0..8: bus-address check boxes "Adr.1".."Adr.8", "ER2"
constexpr int MaxPower = 12;      // today's highest plant power, 0.1 kW
constexpr int Day = 13;           // controller date: day of month
constexpr int Month = 14;         // controller date: month, 1..12 when valid (see ControllerMonth)
constexpr int Year = 15;          // controller date: years since 1900 (107 = 2007)
constexpr int Hour = 16;          // controller time: hour 0..23
constexpr int Minute = 17;        // controller time: minute 0..59
constexpr int MonthCounter = 24;  // MonthRun index of the current month (see MonthCounter())
constexpr int InternetId1 = 60;   // "Internetkennung": first of its three two-digit parts
constexpr int InternetId2 = 62;   // "Internetkennung": second part
constexpr int InternetId3 = 63;   // "Internetkennung": third part
constexpr int TransferMode = 90;  // the controller's data transmission: 0 "Internet", else "Modem"
}  // namespace Block2

namespace Block3 {
constexpr int YesterdayYield = 1;       // yesterday's plant yield, 0.1 kWh
constexpr int DayBeforeYield = 2;       // the day before yesterday's plant yield, 0.1 kWh
constexpr int RestartCount = 4;         // restarts of the plant
constexpr int LargeDisplayType = 7;     // large display: 0 none, 1..3 its make
constexpr int DisplayCycle = 9;         // display cycle, seconds
constexpr int Tariff = 13;              // feed-in tariff, cents per kWh
constexpr int LastTransferHour = 18;    // the controller's last data transmission: hour
constexpr int LastTransferMinute = 19;  // the controller's last data transmission: minute
constexpr int TodaySlot = 24;           // the rings' day slot 0..2 that holds today
constexpr int LastTransferDay = 25;     // the controller's last data transmission: day
constexpr int LastTransferMonth = 26;   // the controller's last data transmission: month
constexpr int NetVersion = 31;          // Zentrix Net version, shown "V %d.0"
constexpr int MonitoringOn = 32;        // plant monitoring: nonzero on, 0 off
constexpr int CommissioningMonth = 35;  // commissioning month 1..12
constexpr int CommissioningYear = 36;   // commissioning year, two digits (years after 2000)
constexpr int MeterCount = 37;          // number of meters
constexpr int PlantSize = 38;           // plant nominal power, 0.1 kWp: the base of every chart scale
constexpr int PulsesPerKwh = 39;        // meter pulses per kWh
constexpr int DialPrefix = 42;          // 1: the modem dials a "0" first
constexpr int DisplayOnHour = 43;       // large display's switch-on hour 0..23
constexpr int DisplayOffHour = 44;      // large display's switch-off hour 0..23
constexpr int YearIrradiation = 45;     // global irradiation this year, kWh/m2; 0 no value
constexpr int Calibration = 46;         // calibration value, 0.1 mV
constexpr int Sensitivity = 48;         // monitoring sensitivity, 10 (high) .. 40 (low)
constexpr int PowerRingStart = 62;      // PowerRing[0]; the ring runs on through Block4 into Block5
}  // namespace Block3

namespace Block5 {
constexpr int IrradianceRingStart = 30;  // IrradianceRing[0]; the ring runs on into Block6
}  // namespace Block5

namespace Block14 {
constexpr int Meter1Power = 5;         // current power of meters 1..36, a word each, 0.1 kW
constexpr int Meter1Today = 41;        // today's yield of meters 1..27, a word each, 0.01 kWh
constexpr int FaultReport = 75;        // plant check: 0 none, 33 meter 1, else the meter deviating from meter 1
constexpr int Er3 = 80;                // check box "ER3": 1 checked
constexpr int TodayIrradiation = 81;   // global irradiation today, Wh/m2; 0 no value
constexpr int ModuleTemperature = 85;  // today's highest module temperature, degrees C + 20; 0 and 120 no value
constexpr int Meter28Today = 87;       // today's yield of meters 28..40, a word each, 0.01 kWh
}  // namespace Block14

namespace Block17 {
constexpr int SmsNumberText = 0;  // the SMS number: 12 characters in words 0..5, high byte first
}  // namespace Block17

namespace Block19 {
constexpr int Meter41Today = 0;  // today's yield of meters 41..48, a word each, 0.01 kWh
constexpr int Meter37Power = 8;  // current power of meters 37..48, a word each, 0.1 kW
}  // namespace Block19

}  // namespace Word
