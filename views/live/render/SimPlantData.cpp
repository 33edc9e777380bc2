#include "views/live/render/SimPlantData.h"

#include <algorithm>

#include "link/PlantStore.h"
#include "sim/PlantModel.h"

void FillPlantDataFromSimulator(int meters) {
  Sim::PlantOptions options;
  options.Start = Sim::SecondsOf(Sim::CivilTime{2024, 6, 14, 13, 37, 0});
  options.Meters = std::clamp(meters, 1, 48);
  Sim::ManualClock clock;
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
