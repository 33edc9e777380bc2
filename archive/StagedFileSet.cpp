#include "archive/StagedFileSet.h"

#include <string>
#include <system_error>

#include "archive/ArchiveError.h"
#include "archive/FileOperations.h"

namespace Archive {

namespace {

// One file's step: the older file moved aside to a name of its own (removed
// with it once every file is in place), then the new one put in place.
class Placement {
public:
  explicit Placement(StagedFile& incoming) : incoming_(incoming) {}

  void Do() {
    MoveOlderAside();
    incoming_.PutInPlace();
    placed_ = true;
  }

  // Undoes Do; the text of what could not be undone, "" when all was.
  std::string Undo() noexcept {
    std::error_code ignored;
    if (placed_) std::filesystem::remove(incoming_.Target(), ignored);
    if (!older_ || !olderMoved_) return {};
    try {
      older_->PutInPlace();
      return {};
    } catch (const std::exception& error) {
      older_->Keep();
      return "; die ältere Datei liegt jetzt unter \"" + Utf8Path(older_->Temporary()) + "\" (" + error.what() + ")";
    }
  }

private:
  // The name is taken by an empty file of ours first, so that the move never
  // replaces a name someone else planted.
  void MoveOlderAside() {
    const std::filesystem::path& target = incoming_.Target();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, error))) return;
    older_ = std::make_unique<StagedFile>(target);
    older_->Finish();
    std::string why;
    if (!CurrentFileOperations().MoveOnto(target, older_->Temporary(), why))
      throw EArchiveError(target, "CSV-Datei nicht abzulegen", "die ältere Datei ist nicht beiseitezulegen: " + why);
    olderMoved_ = true;
  }

  StagedFile& incoming_;
  std::unique_ptr<StagedFile> older_;
  bool olderMoved_ = false;
  bool placed_ = false;
};

}  // namespace

std::vector<std::filesystem::path> PutAllInPlace(const std::vector<std::unique_ptr<StagedFile>>& files) {
  std::vector<std::unique_ptr<Placement>> done;
  try {
    for (const auto& file : files) {
      done.push_back(std::make_unique<Placement>(*file));
      done.back()->Do();
    }
  } catch (const EArchiveError& error) {
    std::string notUndone;
    for (auto step = done.rbegin(); step != done.rend(); ++step) notUndone += (*step)->Undo();
    if (notUndone.empty()) throw;
    throw EArchiveError(error.File(), "CSV-Datei nicht abzulegen", error.Reason() + notUndone);
  }
  std::vector<std::filesystem::path> targets;
  for (const auto& file : files) targets.push_back(file->Target());
  return targets;
}

}  // namespace Archive
