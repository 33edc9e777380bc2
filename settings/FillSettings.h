#pragma once
// Fills the settings form and the setup wizard from the plant data store.

// Writes the controller's current settings into Form7 and Form13 (each when
// it exists) and sets MonthOffset.
void FillSettings();

// Shows month-table position p (0..35) with the entry's value v in the
// wizard: the month as "01/2005" .. "12/2007" in Edit8, the value in Edit9.
void ShowMonthEntry(int p, int v);

// Shows position p with its stored entry, or with an empty value when p
// names no entry of the month table.
void ShowMonthPosition(int p);
