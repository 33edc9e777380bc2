#pragma once
// The plant data store as the simulated controller reports it at a chosen
// moment: 14 June 2024, 13:37.

// Clears the store and fills every block table from the simulator's blocks;
// `meters` is the simulated plant's meter count (1..48).
void FillPlantDataFromSimulator(int meters);
