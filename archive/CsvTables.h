#pragma once
// The plant's history as the rows of the CSV files, one file per kind of data:
// quarter hours, days, months, years, and the meters' days and years. Rows are
// made one at a time as they are written, so that a long history is never
// held as text.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "archive/CsvFormat.h"
#include "archive/PlantHistory.h"

namespace Archive {

struct CsvTable {
  std::string FileName;
  std::vector<std::string> Header;
  size_t Rows = 0;
  std::function<std::vector<std::string>(size_t row)> Row;
};

// The six tables; the history must outlive them.
std::vector<CsvTable> CsvTablesOf(const PlantHistory& history, CsvStyle style);

}  // namespace Archive
