#pragma once
// Fills the plant store from the controller simulator's plant model: the
// blocks it reports at a chosen moment of its clock, as a data exchange
// leaves them in the store.

struct SimPlantMoment {
  int Year = 2024, Month = 7, Day = 2, Hour = 14, Minute = 52;
  unsigned Seed = 1;  // the plant's weather
  int Meters = 12;    // 1..48
};

// Clears the store and fills every block table from the simulator's blocks.
void FillFromSimulator(const SimPlantMoment& moment);
