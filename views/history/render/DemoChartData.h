#pragma once
// A plausible plant for looking at the history charts without a controller: a
// 9.8 kWp plant commissioned in April 2019, on 2 July 2024 at 14:52, with three
// days of power and irradiance samples (a clear day, a cloudy day and today so far).

// Clears the store and fills it.
void FillDemoChartData();
