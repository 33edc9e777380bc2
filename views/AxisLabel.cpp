#include "views/AxisLabel.h"

#include "store/PlantStore.h"

const char* AxisLabelFormat(int n, const AxisThresholds& thresholds) {
  if (n < thresholds.a) return "   %d";
  if (n < thresholds.b) return "  %d";
  if (n < thresholds.c) return " %d";
  return "%d";
}

const char* FormatAxisLabel(int n, const AxisThresholds& thresholds) {
  return FormatText(AxisLabelFormat(n, thresholds), n);
}
