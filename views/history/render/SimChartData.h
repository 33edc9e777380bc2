#pragma once
// Fills the plant store from the controller simulator's plant model: the
// blocks it would report at the given moment of its clock, as a data exchange
// leaves them in the store.

// year, month, day, hour, minute of the controller clock; seed of the plant's weather.
void FillFromSimulator(int year, int month, int day, int hour, int minute, unsigned seed);
