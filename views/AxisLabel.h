#pragma once
// Axis numbers are padded with blanks so that, in a fixed-pitch font, they end
// at about the same place: below a, b and c they get three, two and one blank.
struct AxisThresholds {
  int a, b, c;
};
constexpr AxisThresholds DailyAxisThresholds{1000, 10000, 100000};
constexpr AxisThresholds BarAxisThresholds{10, 100, 1000};

const char* AxisLabelFormat(int n, const AxisThresholds& thresholds);
// Formats n with its padded format into TextBuffer and returns TextBuffer.
const char* FormatAxisLabel(int n, const AxisThresholds& thresholds);
