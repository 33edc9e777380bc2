#pragma once
// The archive view's draw time: the program's archive window choosing days of
// an archive, each time reading the three days, the year's months and all
// years and drawing the three charts (pictures reloaded, window repainted).
#include <filesystem>
#include <vector>

// The milliseconds of each of `days` choices of a random archived day (after
// one first drawing); empty when the archive holds fewer than three days.
std::vector<double> TimeArchiveView(const std::filesystem::path& archive, int days);
