#pragma once
// A plausible plant for looking at the views without a controller: a 9.8 kWp
// plant commissioned in April 2019, on 2 July 2024 at 14:52. It has the months
// since commissioning, the days of this year (two of them implausible, which
// the balance chart filters), three days of power and irradiance samples (a
// clear day, a cloudy day and today so far) and today's figures of its meters.

// Clears the store and fills it; `meters` is the number of meters (0..48).
void FillDemoPlant(int meters);
