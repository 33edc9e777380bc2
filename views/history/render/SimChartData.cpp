#include "views/history/render/SimChartData.h"

#include <algorithm>

#include "PlantModel.h"
#include "link/PlantStore.h"

void FillFromSimulator(int year, int month, int day, int hour, int minute, unsigned seed) {
  Sim::PlantOptions options;
  options.Seed = seed;
  options.Start = Sim::SecondsOf(Sim::CivilTime{year, month, day, hour, minute, 0});
  const Sim::ManualClock clock(*options.Start);
  Sim::PlantModel model(options, clock);
  const Sim::BlockSet blocks = model.Render(0);

  ClearPlantStore();
  for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19}) {
    const Sim::BlockTable& table = blocks.Table(type);
    std::copy(table.begin(), table.end(), BlockTable(type));
  }
  RecomputeScales();
}
