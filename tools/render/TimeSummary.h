#pragma once
// The figures a timing run is reported with: count, mean, median, 99th
// percentile and the slowest of a set of measured times.
#include <string>
#include <vector>

struct TimeSummary {
  int Count = 0;
  double Mean = 0;
  double Median = 0;
  double P99 = 0;
  double Slowest = 0;
};

// The value below which the given fraction (0 < fraction <= 1) of the times
// lie, by nearest rank: the smallest time t such that at least fraction * n
// times are <= t. 0 for no times.
double Percentile(std::vector<double> times, double fraction);

// The median by nearest rank (Percentile at one half); 0 for no values.
double MedianOf(const std::vector<double>& values);

// The values as text, each printed with the format ("%.1f"), separated by ", ".
std::string Listed(const std::vector<double>& values, const char* format);

// Summarises the times; all figures are 0 for no times.
TimeSummary Summarize(const std::vector<double>& times);
