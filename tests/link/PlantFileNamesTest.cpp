// The plant file under names with umlauts, spaces and a letter outside the
// Windows code page 1252, in the folder and the file name; built for Linux and
// for Windows (run under wine), where the narrow C calls would lose them.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/PlantFile.h"
#include "store/PlantStore.h"

namespace {

namespace fs = std::filesystem;

fs::path Utf8(const char8_t* text) { return fs::path(std::u8string(text)); }

class PlantFileNamesTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    std::random_device random;
    dir = fs::temp_directory_path() / ("plant-file-names-" + std::to_string(random()));
    folder = dir / Utf8(u8"Eigene Dateien Büro Łódź");
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  std::vector<fs::path> Entries() const {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
  }
  fs::path dir, folder;
};

TEST_F(PlantFileNamesTest, SavesAndOpensUnderTheNameAsGiven) {
  const fs::path file = folder / Utf8(u8"Anlage Müller Łukasz.sol");
  Block3[37] = 0x1234;
  SavePlantFile(file);
  EXPECT_EQ(Entries(), std::vector<fs::path>{file.filename()});
  EXPECT_EQ(fs::file_size(file), PlantFileSize);
  Block3[37] = 0;
  EXPECT_EQ(OpenPlantFile(file), PlantFileSize);
  EXPECT_EQ(Block3[37], 0x1234);
  // Saved again over itself: still one file.
  SavePlantFile(file);
  EXPECT_EQ(Entries(), std::vector<fs::path>{file.filename()});
}

TEST_F(PlantFileNamesTest, AFailedSaveLeavesNothingAndNamesTheFileInUtf8) {
  // A folder where the file should go: the new file cannot replace it.
  const fs::path blocked = folder / Utf8(u8"Anlage Müller.sol");
  fs::create_directory(blocked);
  try {
    SavePlantFile(blocked);
    ADD_FAILURE() << "saved onto a folder";
  } catch (const EPlantFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Anlage M\xC3\xBCller.sol\" kann nicht gespeichert werden ("),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(Entries(), std::vector<fs::path>{blocked.filename()});
  EXPECT_TRUE(fs::is_directory(blocked));
}

TEST_F(PlantFileNamesTest, AFileIsNamedWithTheSystemsSeparators) {
  try {
    OpenPlantFile(fs::path((folder / "missing.sol").generic_u8string()));
    ADD_FAILURE() << "opened a missing file";
  } catch (const EPlantFileError& e) {
    const std::string named = std::string(e.what()).substr(0, std::string(e.what()).find(".sol"));
    EXPECT_NE(named.find(fs::path::preferred_separator == '\\' ? '\\' : '/'), std::string::npos) << e.what();
    if (fs::path::preferred_separator == '\\') EXPECT_EQ(named.find('/'), std::string::npos) << e.what();
  }
}

TEST_F(PlantFileNamesTest, AMissingFileIsNamedInUtf8) {
  try {
    OpenPlantFile(folder / Utf8(u8"Fehlt Łódź.sol"));
    ADD_FAILURE() << "opened a missing file";
  } catch (const EPlantFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Fehlt \xC5\x81\xC3\xB3"
                                         "d\xC5\xBA.sol\" kann nicht ge\xC3\xB6"
                                         "ffnet werden"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
