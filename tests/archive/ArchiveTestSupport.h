#pragma once
// Shared by the archive tests: the PC link against the simulator in-process,
// exchange by exchange, each completed exchange turned into its record; temp
// folders; and a whole archive file read back as text to compare states.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../sim/SimTestSupport.h"
#include "archive/ExchangeRecord.h"

namespace ArchiveTest {

namespace fs = std::filesystem;

class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

private:
  fs::path path_;
};

// A simulated plant whose controller clock starts at the given moment and runs
// `speed` times as fast as the polling ticks, so that an exchange comes every
// 56 × speed controller seconds.
Sim::SimConfig FastPlant(const Sim::CivilTime& start, double speed, int meters = 3);

class ArchiveRun {
public:
  explicit ArchiveRun(const Sim::SimConfig& config) : Link(config) {}
  // One polling cycle up to its end; the record of its exchange, or nothing
  // when the exchange did not complete.
  std::optional<Archive::ExchangeRecord> NextExchange();
  // The records of the exchanges up to the first at or after the controller moment `last`.
  std::vector<Archive::ExchangeRecord> ExchangesUntil(const Sim::CivilTime& last);
  Sim::PlantPhysics& Physics() { return Link.sim.Model().Physics(); }

  SimTest::LinkAgainstSim Link;
};

// Every row of every table, ordered, one line each; a table that is not
// there (yet) has no rows, so that a missing file, one without tables and one
// with empty tables read the same.
std::string Dump(const fs::path& file);
// The rows of a query on the file, "|" between columns, one line each.
std::string Query(const fs::path& file, const std::string& sql);

// What `work` returns, run in a child process without root's rights (as
// nobody), so that file permissions hold; a failed child fails the test.
std::string TextWithoutRoot(const std::function<std::string()>& work);

}  // namespace ArchiveTest
