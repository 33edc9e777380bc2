#include "tools/render/TimeSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

double Percentile(std::vector<double> times, double fraction) {
  if (times.empty()) return 0;
  std::sort(times.begin(), times.end());
  const double rank = std::ceil(fraction * static_cast<double>(times.size()));
  const size_t index = static_cast<size_t>(std::clamp(rank, 1.0, static_cast<double>(times.size()))) - 1;
  return times[index];
}

double MedianOf(const std::vector<double>& values) { return Percentile(values, 0.5); }

std::string Listed(const std::vector<double>& values, const char* format) {
  std::string text;
  for (double v : values) {
    char item[32];
    std::snprintf(item, sizeof item, format, v);
    text += (text.empty() ? "" : ", ") + std::string(item);
  }
  return text;
}

TimeSummary Summarize(const std::vector<double>& times) {
  TimeSummary s;
  if (times.empty()) return s;
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  const size_t n = sorted.size();
  s.Count = static_cast<int>(n);
  s.Mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / static_cast<double>(n);
  s.Median = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  s.P99 = Percentile(sorted, 0.99);
  s.Slowest = sorted.back();
  return s;
}
