#include "archive/StagedFile.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "archive/ArchiveError.h"
#include "archive/os/NewFile.h"

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
    switch (Os::CreateNewFile(temporary_, file_, error)) {
      case Os::CreateOutcome::Created:
        buffer_.Attach(file_);
        return;
      case Os::CreateOutcome::NameTaken:
        continue;
      case Os::CreateOutcome::Failed:
        throw ArchiveError(target_, "CSV-Datei nicht anzulegen", error);
    }
  }
  throw ArchiveError(target_, "CSV-Datei nicht anzulegen", "jeder temporäre Name daneben ist schon vergeben");
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
  std::string error;
  const bool closed = Os::SyncAndClose(file, error);
  if (!written || !closed) throw ArchiveError(target_, "CSV-Datei nicht zu schreiben", closed ? "Schreibfehler" : error);
}

void StagedFile::PutInPlace() {
  std::string error;
  if (!Os::MoveOnto(temporary_, target_, error)) throw ArchiveError(target_, "CSV-Datei nicht abzulegen", error);
  placed_ = true;
}

}  // namespace Archive
