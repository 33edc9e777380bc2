#include "archive/StagedFile.h"

#include <cerrno>
#include <random>
#include <system_error>

#include "archive/ArchiveError.h"

namespace Archive {

namespace {

// A name beside the target that no other export uses at the same time.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
  std::random_device random;
  std::filesystem::path name = target;
  name += ".part" + std::to_string(random() % 1000000);
  return name;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(TemporaryNameFor(target_)) {
  errno = 0;
  out_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!out_) Fail("CSV-Datei nicht anzulegen");
}

StagedFile::~StagedFile() {
  if (placed_) return;
  out_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void StagedFile::Fail(const char* what) const {
  const std::string reason = errno != 0 ? std::generic_category().message(errno) : "Schreibfehler";
  throw ArchiveError(target_, what, reason);
}

void StagedFile::Finish() {
  errno = 0;
  out_.flush();
  out_.close();
  if (!out_) Fail("CSV-Datei nicht zu schreiben");
}

void StagedFile::PutInPlace() {
  std::error_code error;
  std::filesystem::rename(temporary_, target_, error);
  if (error) throw ArchiveError(target_, "CSV-Datei nicht abzulegen", error.message());
  placed_ = true;
}

}  // namespace Archive
