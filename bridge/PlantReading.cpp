#include "bridge/PlantReading.h"

#include "protocol/Cp1252.h"
#include "store/PlantStore.h"

PlantReading ReadPlant() {
  RecomputeScales();
  PlantReading r;
  r.Figures = ComputeDailyFigures();
  r.Irradiance = CurrentIrradiance();
  // Both format into the one text buffer: one after the other.
  r.ControllerClock = FormatDate();
  r.ControllerClock += std::string(" ") + FormatTime();
  r.ControllerType = ControllerType;
  r.ControllerVersion = FormatControllerVersion();
  r.Commissioning = FormatText("%02u/20%02u", r.Figures.commissioningMonth, r.Figures.commissioningYear);
  r.Hint = Utf8FromCp1252(PlantCheckText(r.Figures));
  for (int k = 1; k <= ShownMeterCount(r.Figures); ++k) r.Meters.push_back(ComputeMeterFigures(k));
  return r;
}
