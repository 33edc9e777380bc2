#pragma once
// Fills the controller's blocks from the measured plant, the settings and the
// clock at one moment.
#include "BlockSet.h"
#include "CivilTime.h"
#include "ControllerState.h"
#include "PlantPhysics.h"
#include "WordMap.h"

namespace Sim {

class BlockRenderer {
public:
  BlockRenderer(PlantPhysics& physics, const ControllerState& state, ClockSeconds now, int layoutFirstYear);
  BlockSet Render();

  // Energy (Wh) produced between two moments of the controller clock.
  int64_t EnergyBetween(ClockSeconds from, ClockSeconds to);
  // A month-table word: whole kWh of a calendar month up to yesterday, with the PC's edits.
  uint16_t MonthWord(int year, int month);

private:
  void RenderClock();
  void RenderSettings();
  void RenderLinkWords();
  void RenderTexts();
  void RenderMeters();
  void RenderMeasurements();
  void RenderMonitoring();
  void RenderRings();
  void RenderDayRun();
  void RenderMonthTable();

  // The stored day value (0.1 kWh) of a finished day, 0 if the day is not kept.
  uint16_t DayValue(int64_t dayNumber);
  // Energy (Wh) of a day up to secondOfDay (86400: the whole day) that the totals count.
  int64_t CountedEnergy(int64_t dayNumber, int secondOfDay);
  int64_t IrradiationBetween(ClockSeconds from, ClockSeconds to);
  int FaultReport();

  PlantPhysics& physics_;
  const ControllerState& state_;
  ClockSeconds now_;
  CivilTime civil_;
  int64_t today_;
  int second_;
  int layoutFirstYear_;
  BlockSet blocks_;
};

// The MonthRun index of a calendar month in a table whose plant year 0 is
// firstYear (rows of the two years before come first); 0 when it has no slot.
int MonthSlot(int firstYear, int year, int month);
// Number of month slots: the two years before commissioning and the plant years.
constexpr int MonthSlots = 12 * (2 + Words::PlantYears);

// Lowers the energy totals in rendered blocks to this fraction: the meters'
// today and yearly words and the month table, from which the PC sums the
// month, the year and the total.
void LowerTotals(BlockSet& blocks, double fraction);

// Clamps a value into a 16-bit word.
uint16_t Word(int64_t value);

}  // namespace Sim
