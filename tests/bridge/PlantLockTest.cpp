// The plant's lock without a runtime folder of the bridge's own: in the shared
// temporary folder, where any local user may make files first.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "base/Exception.h"
#include "bridge/PlantLock.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr uid_t Nobody = 65534;

// The message the lock is refused with, or "taken".
std::string Refusal(const std::string& plant) {
  try {
    PlantLock lock(plant);
    return "taken";
  } catch (const Exception& e) {
    return e.what();
  }
}

class PlantLockTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "another user's files need root to make";
    for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR", "RUNTIME_DIRECTORY"})
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("RUNTIME_DIRECTORY");
    setenv("TMPDIR", shared.Path().c_str(), 1);
    chmod(shared.Path().c_str(), 01777);  // as /tmp is
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
  }
  // Where the bridge's own folder is to be, worked out here, not asked of the code under test.
  std::string OwnFolder() const { return (shared / ("pczentrixnet-bridge-" + std::to_string(geteuid()))).string(); }

  TempFolder shared{"plant-lock"};

private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(PlantLockTest, ALockFileThatAnotherUserMadeAndHoldsKeepsNoBridgeFromStarting) {
  const std::string planted = (shared / "pczentrixnet-bridge-roof.lock").string();
  const int held = open(planted.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(held, 0);
  ASSERT_EQ(fchown(held, Nobody, Nobody), 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

  EXPECT_EQ(Refusal("roof"), "taken");
  EXPECT_EQ(PlantLock::NameFor("roof"), OwnFolder() + "/pczentrixnet-bridge-roof.lock");
  struct stat folder {};
  ASSERT_EQ(lstat(OwnFolder().c_str(), &folder), 0);
  EXPECT_TRUE(S_ISDIR(folder.st_mode));
  EXPECT_EQ(folder.st_uid, geteuid());
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  close(held);
}

TEST_F(PlantLockTest, AFolderOrLockFileOfAnotherUserIsRefusedSayingSo) {
  ASSERT_EQ(mkdir(OwnFolder().c_str(), 0700), 0);
  ASSERT_EQ(chown(OwnFolder().c_str(), Nobody, Nobody), 0);
  EXPECT_EQ(Refusal("roof").rfind(
                "the folder for the plant's lock " + OwnFolder() + " belongs to another user (uid 65534", 0),
            0u)
      << Refusal("roof");

  ASSERT_EQ(chown(OwnFolder().c_str(), geteuid(), getegid()), 0);
  ASSERT_EQ(chmod(OwnFolder().c_str(), 0777), 0);
  EXPECT_EQ(Refusal("roof"), "others may enter the folder for the plant's lock " + OwnFolder() +
                                 "; not trusting it: chmod 700 " + OwnFolder());

  ASSERT_EQ(chmod(OwnFolder().c_str(), 0700), 0);
  const std::string file = OwnFolder() + "/pczentrixnet-bridge-roof.lock";
  const int planted = open(file.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(planted, 0);
  ASSERT_EQ(fchown(planted, Nobody, Nobody), 0);
  close(planted);
  EXPECT_EQ(Refusal("roof").rfind("the plant's lock file " + file + " belongs to another user", 0), 0u)
      << Refusal("roof");
  EXPECT_EQ(Refusal("attic"), "taken") << "another plant's lock in the folder";
}

}  // namespace
