// The export's files against links another user planted beside them: the
// temporary file is always a new file of its own, and the rename replaces a
// link at the target instead of writing through it.
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "ArchiveTestSupport.h"
#include "archive/CsvExport.h"
#include "archive/StagedFile.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class StagedFileTest : public ::testing::Test {
protected:
  void SetUp() override { std::ofstream(victim) << "root's own file\n"; }
  void Plant(const fs::path& link) { ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0); }
  TempFolder folder;
  fs::path victim = folder / "victim";
};

TEST_F(StagedFileTest, NamesTakenByLinksOrFilesAreSkippedNeverWrittenThrough) {
  const fs::path target = folder / "Jahre.csv";
  Plant(folder / "Jahre.csv.partA");
  ASSERT_EQ(symlink("/nonexistent/dangling", (folder / "Jahre.csv.partB").c_str()), 0);
  std::ofstream(folder / "Jahre.csv.partC") << "someone's file\n";
  const char* suffixes[] = {".partA", ".partB", ".partC", ".partD"};
  int next = 0;
  {
    StagedFile file(target, [&] { return std::string(suffixes[next++]); });
    EXPECT_EQ(file.Temporary(), folder / "Jahre.csv.partD");
    file.Out() << "Jahr;Ertrag\n";
    file.Finish();
    file.PutInPlace();
  }
  EXPECT_EQ(Content(victim), "root's own file\n");
  EXPECT_EQ(Content(folder / "Jahre.csv.partC"), "someone's file\n");
  EXPECT_TRUE(fs::is_symlink(folder / "Jahre.csv.partA")) << "a name not ours was removed";
  EXPECT_EQ(Content(target), "Jahr;Ertrag\n");
}

TEST_F(StagedFileTest, TheExportReplacesLinksAtItsTargetsWithItsOwnFiles) {
  fs::create_directory(folder / "out");
  Plant(folder / "out" / "Jahre.csv");
  const CsvExportResult result = ExportCsv({}, folder / "out", CsvStyle::Plain);
  ASSERT_EQ(result.Files.size(), 6u);
  EXPECT_EQ(Content(victim), "root's own file\n");
  EXPECT_FALSE(fs::is_symlink(folder / "out" / "Jahre.csv"));
  EXPECT_EQ(Content(folder / "out" / "Jahre.csv").rfind("Jahr,", 0), 0u);
  for (const auto& entry : fs::directory_iterator(folder / "out"))
    EXPECT_EQ(entry.path().extension(), ".csv") << "left behind: " << entry.path();
}

TEST_F(StagedFileTest, FilesAnExportWouldReplaceAreListedLinksIncluded) {
  EXPECT_TRUE(ExistingCsvFiles(folder.Path()).empty());
  std::ofstream(folder / "Tage.csv") << "x";
  ASSERT_EQ(symlink("/nonexistent", (folder / "Monate.csv").c_str()), 0);
  std::ofstream(folder / "Tage.csv.bak") << "x";
  const std::vector<fs::path> existing = ExistingCsvFiles(folder.Path());
  EXPECT_EQ(existing, (std::vector<fs::path>{folder / "Tage.csv", folder / "Monate.csv"}));
}

}  // namespace
