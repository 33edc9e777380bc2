#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/PlantFile.h"
#include "store/PlantStore.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint16_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

namespace fs = std::filesystem;

class PlantFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    char name[] = "/tmp/plant-file-test-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir;
};

TEST_F(PlantFileTest, FreshStoreSavesZeros) {
  SavePlantFile(Path("fresh.sol"));
  const auto bytes = ReadFile(Path("fresh.sol"));
  ASSERT_EQ(bytes.size(), 3220u);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 3220);
}

TEST_F(PlantFileTest, PiecesLieInFileOrderLittleEndian) {
  Block3[0] = 0x0102;
  Block10[99] = 0x0304;
  GroupB.Reserved[0] = 0xAA;
  GroupB.Reserved[19] = 0xAB;
  Block2[0] = 0x0506;
  Block14[0] = 0x0708;
  Block19[99] = 0x090A;
  Block15[0] = 0x0B0C;
  Block18[99] = 0x0D0E;
  GroupC.Reserved[0] = 0xCA;
  GroupC.Reserved[199] = 0xCB;
  const auto bytes = PlantFileBytes();
  ASSERT_EQ(bytes.size(), PlantFileSize);
  EXPECT_EQ(bytes[0], 0x02);  // low byte first
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(WordAt(bytes, 1598), 0x0304);
  EXPECT_EQ(bytes[1600], 0xAA);
  EXPECT_EQ(bytes[1619], 0xAB);
  EXPECT_EQ(WordAt(bytes, 1620), 0x0506);
  EXPECT_EQ(WordAt(bytes, 1820), 0x0708);
  EXPECT_EQ(WordAt(bytes, 2218), 0x090A);
  EXPECT_EQ(WordAt(bytes, 2220), 0x0B0C);
  EXPECT_EQ(WordAt(bytes, 3018), 0x0D0E);
  EXPECT_EQ(bytes[3020], 0xCA);
  EXPECT_EQ(bytes[3219], 0xCB);
}

TEST_F(PlantFileTest, SaveAndOpenRoundTripWithReservedBytes) {
  for (int i = 0; i < 100; ++i) {
    Block2[i] = static_cast<uint16_t>(i * 7);
    Block7[i] = static_cast<uint16_t>(60000 + i);
    Block17[i] = static_cast<uint16_t>(i * 311);
  }
  Block3[38] = 304;
  Block3[36] = 9;
  GroupB.Reserved[5] = 0x5A;
  GroupC.Reserved[150] = 0xA5;
  RecomputeScales();
  const uint32_t dayMax = DayChartMax, yearMax = YearChartMax;
  const TGroupA a = GroupA;
  const TGroupB b = GroupB;
  const TGroupC c = GroupC;
  SavePlantFile(Path("plant.sol"));

  ClearPlantStore();
  OpenPlantFile(Path("plant.sol"));
  EXPECT_EQ(std::memcmp(&a, &GroupA, sizeof a), 0);
  EXPECT_EQ(std::memcmp(&b, &GroupB, sizeof b), 0);
  EXPECT_EQ(std::memcmp(&c, &GroupC, sizeof c), 0);
  EXPECT_EQ(DayChartMax, dayMax);  // scales recomputed after opening
  EXPECT_EQ(YearChartMax, yearMax);
  EXPECT_EQ(FirstYear, 2009);
  // The reserved bytes read from the file are written back on the next save.
  SavePlantFile(Path("again.sol"));
  EXPECT_EQ(ReadFile(Path("again.sol")), ReadFile(Path("plant.sol")));
}

TEST_F(PlantFileTest, ShortFileFillsWhatItHolds) {
  std::vector<uint8_t> bytes(1001, 0x11);
  WriteFile(Path("short.sol"), bytes);
  Block3[0] = 1;
  Block8[0] = 2;  // file offset 1000: the odd last byte is the low byte of this word
  Block8[1] = 3;  // beyond the file: kept
  Block2[0] = 4;  // group A is not reached: kept
  OpenPlantFile(Path("short.sol"));
  EXPECT_EQ(Block3[0], 0x1111);
  EXPECT_EQ(Block7[99], 0x1111);
  EXPECT_EQ(Block8[0], 0x0011);
  EXPECT_EQ(Block8[1], 3);
  EXPECT_EQ(Block2[0], 4);
}

TEST_F(PlantFileTest, FailedSaveRaisesAndKeepsThePreviousFile) {
  Block3[0] = 42;
  SavePlantFile(Path("keep.sol"));
  const auto before = ReadFile(Path("keep.sol"));
  // A file name that the folder cannot take: the temporary cannot be created.
  EXPECT_THROW(SavePlantFile(Path("missing-folder/x.sol")), EPlantFileError);
  // A target that cannot be replaced (a folder of that name): the rename fails.
  ASSERT_TRUE(fs::create_directory(dir / "taken.sol"));
  Block3[0] = 43;
  try {
    SavePlantFile(Path("taken.sol"));
    FAIL() << "saving over a folder must fail";
  } catch (const EPlantFileError& e) {
    EXPECT_NE(std::string(e.what()).find("taken.sol"), std::string::npos);
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"keep.sol", "taken.sol"})) << "no temporary file is left behind";
  EXPECT_EQ(ReadFile(Path("keep.sol")), before);
}

// Saving over an existing file keeps what the user set up around it: its
// permissions, a link pointing at it, and a file that happens to be named
// like a temporary one.
TEST_F(PlantFileTest, SavingKeepsPermissionsLinksAndNeighbours) {
  WriteFile(Path("real.sol"), {1, 2, 3});
  ASSERT_EQ(chmod(Path("real.sol").c_str(), 0600), 0);
  ASSERT_EQ(symlink("real.sol", Path("link.sol").c_str()), 0);
  WriteFile(Path("link.sol.tmp"), {9});
  WriteFile(Path("real.sol.tmp"), {9});
  Block3[0] = 0x1234;
  SavePlantFile(Path("link.sol"));
  struct stat status {};
  ASSERT_EQ(lstat(Path("link.sol").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link stays a link";
  ASSERT_EQ(stat(Path("real.sol").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  const auto saved = ReadFile(Path("real.sol"));
  ASSERT_EQ(saved.size(), PlantFileSize);
  EXPECT_EQ(WordAt(saved, 0), 0x1234);
  EXPECT_EQ(ReadFile(Path("link.sol.tmp")), std::vector<uint8_t>{9});
  EXPECT_EQ(ReadFile(Path("real.sol.tmp")), std::vector<uint8_t>{9});
}

TEST_F(PlantFileTest, OpeningWhatIsNoPlantFileRaisesAndChangesNothing) {
  Block3[0] = 7;
  EXPECT_THROW(OpenPlantFile(Path("nothing.sol")), EPlantFileError);
  // A pipe would block a plain open until a writer comes; a folder cannot be read.
  ASSERT_EQ(mkfifo(Path("pipe.sol").c_str(), 0600), 0);
  ASSERT_TRUE(fs::create_directory(dir / "folder.sol"));
  for (const char* name : {"pipe.sol", "folder.sol"}) {
    try {
      OpenPlantFile(Path(name));
      ADD_FAILURE() << name << " was opened";
    } catch (const EPlantFileError& e) {
      // The message is UTF-8 text for the error display.
      EXPECT_NE(std::string(e.what()).find("kann nicht geöffnet werden"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(Block3[0], 7);
}

}  // namespace
