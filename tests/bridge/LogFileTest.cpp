// The bridge's log file: lines with the time in front, and at its limit the
// file becomes NAME.1 (one old file kept) instead of growing.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "bridge/LogFile.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Read(const std::filesystem::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace

TEST(LogFileTest, MakesItsFolderAndWritesEachLineWithTheLocalTime) {
  TempFolder folder{"log-file"};
  const std::filesystem::path path = folder / "logs" / "roof.log";
  LogFile log(path);
  log.Write("starting as the service roof");
  log.Write("stopping on service stop");
  EXPECT_TRUE(
      std::regex_match(Read(path), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d starting as the service roof\n"
                                              "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d stopping on service stop\n")))
      << Read(path);
}

TEST(LogFileTest, AtItsLimitTheFileBecomesTheOldOneAndOnlyOneOldFileIsKept) {
  TempFolder folder{"log-file"};
  const std::filesystem::path path = folder / "roof.log";
  const std::string line(100, 'x');
  {
    LogFile log(path, 1000);
    for (int i = 0; i < 25; ++i) log.Write(line + std::to_string(i));
  }
  // Reopened as after a restart: the size so far counts.
  LogFile log(path, 1000);
  for (int i = 25; i < 35; ++i) log.Write(line + std::to_string(i));
  std::filesystem::path old = path;
  old += ".1";
  EXPECT_LE(std::filesystem::file_size(path), 1000u + 200u);
  EXPECT_LE(std::filesystem::file_size(old), 1000u + 200u);
  EXPECT_NE(Read(path).find(line + "34\n"), std::string::npos) << "the newest line is in the file";
  EXPECT_EQ(Read(path).find(line + "0\n"), std::string::npos);
  EXPECT_EQ(Read(old).find(line + "0\n"), std::string::npos) << "older lines than NAME.1's are gone";
  EXPECT_FALSE(std::filesystem::exists(folder / "roof.log.2"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / ""), std::filesystem::directory_iterator()), 2);
}
