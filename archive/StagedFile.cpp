#include "archive/StagedFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "archive/ArchiveError.h"
#include "archive/FileOperations.h"

namespace Archive {

namespace {

constexpr int NamesToTry = 100;

// A suffix that no one can guess ahead.
std::string RandomSuffix() {
  static std::random_device random;
  const uint64_t number = (uint64_t{random()} << 32) ^ random();
  char suffix[40];
  std::snprintf(suffix, sizeof suffix, ".part%016llx", static_cast<unsigned long long>(number));
  return suffix;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path target, const NameSuffixes& suffixes) : target_(std::move(target)) {
  std::string error;
  for (int attempt = 0; attempt < NamesToTry; ++attempt) {
    temporary_ = target_;
    temporary_ += suffixes ? suffixes() : RandomSuffix();
    switch (CurrentFileOperations().CreateNew(temporary_, file_, error)) {
      case CreateOutcome::Created: buffer_.Attach(file_); return;
      case CreateOutcome::NameTaken: continue;
      case CreateOutcome::Failed: throw EArchiveError(target_, "CSV-Datei nicht anzulegen", error);
    }
  }
  throw EArchiveError(target_, "CSV-Datei nicht anzulegen", "jeder temporäre Name daneben ist schon vergeben");
}

StagedFile::~StagedFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (placed_) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void StagedFile::Finish() {
  const bool written = static_cast<bool>(out_.flush());
  std::FILE* file = file_;
  file_ = nullptr;
  buffer_.Attach(nullptr);
  // A full disk shows at the last flush or at the close.
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0 && flushed;
  if (!written || !closed)
    throw EArchiveError(target_, "CSV-Datei nicht zu schreiben",
                        closed ? std::string("Schreibfehler") : std::generic_category().message(errno));
}

void StagedFile::PutInPlace() {
  std::string error;
  if (!CurrentFileOperations().MoveOnto(temporary_, target_, error))
    throw EArchiveError(target_, "CSV-Datei nicht abzulegen", error);
  placed_ = true;
}

}  // namespace Archive
