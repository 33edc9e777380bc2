#pragma once
// The archive view's draw time: the program's archive window choosing days of
// an archive, each time reading the three days, the year's months and all
// years and drawing the daily chart (picture reloaded, window repainted), and
// then showing the monthly and the yearly chart's page of that day.
#include <filesystem>
#include <vector>

struct ArchiveViewTimes {
  std::vector<double> DayMs;   // a day chosen, its daily chart drawn
  std::vector<double> PageMs;  // the monthly or yearly page shown
};

// `days` choices of a random archived day (after one first drawing); empty
// when the archive holds fewer than three days.
ArchiveViewTimes TimeArchiveView(const std::filesystem::path& archive, int days);
