#pragma once
// A plausible plant for looking at the live views without a controller: a
// 9.8 kWp plant commissioned in March 2019, on 14 June 2024 at 13:37.

// Clears the store and fills it; `meters` is the number of meters (0..48).
void FillDemoPlantData(int meters);
