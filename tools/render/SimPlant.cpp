#include "tools/render/SimPlant.h"

#include <algorithm>

#include "sim/PlantModel.h"
#include "store/PlantStore.h"

void FillFromSimulator(const SimPlantMoment& moment) {
  Sim::PlantOptions options;
  options.Seed = moment.Seed;
  options.Start = Sim::SecondsOf(Sim::CivilTime{moment.Year, moment.Month, moment.Day, moment.Hour, moment.Minute, 0});
  options.Meters = std::clamp(moment.Meters, 1, 48);
  const Sim::ManualClock clock(*options.Start);
  Sim::PlantModel model(options, clock);
  const Sim::BlockSet blocks = model.Render(clock.MonotonicMs());

  ClearPlantStore();
  // Every table the controller sends, as the block decoder would store it.
  for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19}) {
    const Sim::BlockTable& table = blocks.Table(type);
    std::copy(table.begin(), table.end(), BlockTable(type));
  }
  RecomputeScales();
}
