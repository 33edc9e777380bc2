#pragma once
// The figures a timing run is reported with: count, mean, median, 99th
// percentile and the slowest of a set of measured times.
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

// Summarises the times; all figures are 0 for no times.
TimeSummary Summarize(const std::vector<double>& times);
