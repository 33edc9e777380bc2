#pragma once
// The plant data store: the one copy of the controller's data that the link
// fills and every view, the settings windows and the data file work on.
//
// The block tables lie in three groups in a fixed order with reserved bytes
// after groups B and C; the data file stores each group as one piece, and the
// runs (PowerRing, IrradianceRing, DayRun, MonthRun) read across table borders.
// Runs are read through accessors that stay inside their group.
#include <cstddef>
#include <cstdint>

#include "store/StoreWords.h"

struct TGroupA {
  uint16_t Block2[100];
  uint16_t Block14[100];
  uint16_t Block19[100];
};

struct TGroupB {
  uint16_t Block3[100];
  uint16_t Block4[100];
  uint16_t Block5[100];
  uint16_t Block6[100];
  uint16_t Block7[100];
  uint16_t Block8[100];
  uint16_t Block9[100];
  uint16_t Block10[100];
  uint8_t Reserved[20];
};

struct TGroupC {
  uint16_t Block15[100];
  uint16_t Block16[100];
  uint16_t Block17[100];
  uint16_t Block18[100];
  uint8_t Reserved[200];
};

static_assert(offsetof(TGroupA, Block14) == 200 && offsetof(TGroupA, Block19) == 400);
static_assert(sizeof(TGroupA) == 600);
static_assert(offsetof(TGroupB, Block4) == 200 && offsetof(TGroupB, Block7) == 800 &&
              offsetof(TGroupB, Block10) == 1400 && offsetof(TGroupB, Reserved) == 1600);
static_assert(sizeof(TGroupB) == 1620);
static_assert(offsetof(TGroupC, Block16) == 200 && offsetof(TGroupC, Block18) == 600 &&
              offsetof(TGroupC, Reserved) == 800);
static_assert(sizeof(TGroupC) == 1000);

extern TGroupA GroupA;
extern TGroupB GroupB;
extern TGroupC GroupC;

// Each table under its own name, as the rest of the program reads it; the
// words it reads are named in StoreWords.h.
inline uint16_t (&Block2)[100] = GroupA.Block2;
inline uint16_t (&Block14)[100] = GroupA.Block14;
inline uint16_t (&Block19)[100] = GroupA.Block19;
inline uint16_t (&Block3)[100] = GroupB.Block3;
inline uint16_t (&Block4)[100] = GroupB.Block4;
inline uint16_t (&Block5)[100] = GroupB.Block5;
inline uint16_t (&Block6)[100] = GroupB.Block6;
inline uint16_t (&Block7)[100] = GroupB.Block7;
inline uint16_t (&Block8)[100] = GroupB.Block8;
inline uint16_t (&Block9)[100] = GroupB.Block9;
inline uint16_t (&Block10)[100] = GroupB.Block10;
inline uint16_t (&Block15)[100] = GroupC.Block15;
inline uint16_t (&Block16)[100] = GroupC.Block16;
inline uint16_t (&Block17)[100] = GroupC.Block17;
inline uint16_t (&Block18)[100] = GroupC.Block18;

// The table that a data block of the given response type fills, or nullptr.
uint16_t* BlockTable(int type);

// Words of a group in memory order (reserved bytes included); 0 outside it.
uint16_t GroupBWord(int index);
uint16_t GroupCWord(int index);
void SetGroupBWord(int index, uint16_t value);
void SetGroupCWord(int index, uint16_t value);

// Runs. Sample i of day slot r of a ring is index 56 r + i (0..167). Reading
// one word before or after a ring gives its neighbour in store order, as the
// daily chart's gap rule expects; anything outside group B reads 0.
constexpr int RingLength = 168;
constexpr int RingSlotSamples = 56;
uint16_t PowerRing(int j);       // from Word::Block3::PowerRingStart
uint16_t IrradianceRing(int j);  // from Word::Block5::IrradianceRingStart
// Writes sample j (0..167) of a ring; other indexes are ignored.
void SetPowerRing(int j, uint16_t value);
void SetIrradianceRing(int j, uint16_t value);
// For each today slot s (Word::Block3::TodaySlot, 0..2): the slots of today,
// yesterday and the day before yesterday.
extern const uint8_t RingSlotOrder[3][3];
// How many of today's samples (from 6:00 on) have come by the controller's
// time, 0..56: a quarter hour that has begun counts.
int TodaySampleCount();
// The ring slot that holds today; a slot the rings do not have reads as 0.
int TodayRingSlot();
// DayRun[n-1] is the yield of day-of-year n (0.1 kWh); 400 words from Block7 on.
constexpr int DayRunLength = 400;
uint16_t DayRun(int index);
void SetDayRun(int index, uint16_t value);
// MonthRun: 400 words from Block15 on; month m of plant year y at 24 + 12 y + m,
// the meters' yearly yields (high, low) from index 262 on.
constexpr int MonthRunLength = 400;
constexpr int LastMonthSlot = 261;
constexpr int MeterYearYieldSlot = 262;  // meter k's yearly yield: high word at 262 + 2 (k - 1), low word next
uint16_t MonthRun(int index);
void SetMonthRun(int index, uint16_t value);

// Days before month m (1..13) in a 366-day year; 29 February is always day 60.
extern const int MonthStartDay[14];
// The controller's month (Word::Block2::Month) when it is 1..12, else 0.
int ControllerMonth();
// Today's day-of-year from the controller's date, or 0 when its month is not 1..12.
int TodayDayOfYear();
// The month counter (Word::Block2::MonthCounter) when it names a month slot
// (1..261), else 0.
int MonthCounter();

// Values of the last type-1 frame.
extern int ControllerType;
extern uint8_t ControllerVersion[3];

// Chart scales and the plant size, derived by RecomputeScales.
extern uint32_t MonthStep;
extern uint32_t DayChartMax;
extern uint32_t MonthChartMax;
extern uint32_t YearChartMax;
extern uint32_t BalanceChartMax;
extern float PowerScale;
extern int FirstYear;

// The plant's yield today in 0.01 kWh: the sum of the 48 meters' today words.
extern int TodayYield;
int ComputeTodayYield();  // recomputes TodayYield and returns it

// Per-meter words (meter k = 1..48). Outside 1..48 they read 0.
uint16_t MeterPower(int k);       // 0.1 kW
uint16_t MeterTodayYield(int k);  // 0.01 kWh
uint32_t MeterYearYield(int k);   // 0.01 kWh, high and low word of MonthRun
// Write the same words; outside 1..48 they write nothing.
void SetMeterPower(int k, uint16_t value);
void SetMeterTodayYield(int k, uint16_t value);
void SetMeterYearYield(int k, uint32_t value);

// Pending commands: slots 1..28 stand for commands, slot 29 holds the yes/no
// byte of the dial-prefix command. A handler sets a slot to 1, the tick sends it.
constexpr int PendingSlots = 29;
extern uint8_t PendingCommands[PendingSlots + 1];
extern uint8_t ConnectPending;

// Values prepared for commands.
extern int MeterCountSetting;
extern int PlantSizeSetting;
extern int TariffSetting;
extern int SensitivitySetting;
extern int ConnectionModeSetting;
extern int ModemTypeSetting;
// The commissioning month (1..12) and year (from 2000) confirmed in the wizard;
// they start on the wizard's start positions, January 2006.
extern int CommissioningMonthSetting;
extern int CommissioningYearSetting;
extern int MonthOffset;
extern char StartScreenLines[4][21];
extern char SmsNumber[13];

// Polling state.
extern int PollTick;
extern int NoAnswerCount;
extern int ShowRequest;

// The shared 8-bit (code page 1252) text buffer. Large enough for every text
// the program formats, the longest view line included.
constexpr size_t TextBufferSize = 256;
extern char TextBuffer[TextBufferSize];
// Formats into TextBuffer and returns it.
const char* FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The controller's clock as text: "hh:mm" and "dd/mm/yy", each in a buffer of
// its own (not TextBuffer), valid until the next time or date is formatted.
const char* FormatTime();
const char* FormatDate();
// The same for any moment; the year as the controller counts it (years since 1900).
const char* FormatClockTime(unsigned hour, unsigned minute);
const char* FormatClockDate(unsigned day, unsigned month, unsigned year);
// The controller's identification "Internetkennung" as text in TextBuffer
// ("%02d%02d%02d" of its three words); HasInternetId tells whether it has one.
const char* FormatInternetId();
bool HasInternetId();
// The controller's version as text in TextBuffer: "Pvvrrbb".
const char* FormatControllerVersion();

// The chart scales of a plant size (0.1 kWp), as RecomputeScales derives them.
struct ChartScales {
  uint32_t MonthStep, DayChartMax, MonthChartMax, YearChartMax, BalanceChartMax;
  float PowerScale;
};
ChartScales ScalesForPlantSize(uint32_t plantSize);
// The scales the store holds now.
ChartScales CurrentScales();

// Derives the chart scales, PowerScale and FirstYear from the plant size and
// the commissioning year.
void RecomputeScales();
// The derived values' start values (before any data has been received).
void SetScaleStartValues();
// Zeros every table and reserved byte and every value of the store; sets the
// start values. A fresh program starts in this state.
void ClearPlantStore();
