#include "archive/StoreTakeover.h"

#include <optional>

#include "archive/ArchiveLocation.h"
#include "archive/PlantArchive.h"
#include "archive/StoreRecord.h"
#include "base/Exception.h"

namespace Archive {

namespace {

[[noreturn]] void RefuseOtherPlant(const std::string& plant, const std::filesystem::path& file,
                                   const std::string& owner, const char* ownership) {
  throw Exception("Die Anlagendaten stammen von der Anlage \"" + plant + "\", das Archiv \"" + Utf8Path(file) + "\" " +
                  ownership + " \"" + owner + "\". Die Daten werden nicht ins Archiv übernommen.");
}

}  // namespace

TakeoverResult TakeStoreIntoArchive(const std::filesystem::path& chosenFile, const std::filesystem::path& folder,
                                    const std::string& plantName, const std::string& livePlant) {
  const std::optional<ExchangeRecord> record = RecordFromStore(plantName);
  if (!record)
    throw Exception(
        "Die Anlagendaten tragen kein gültiges Datum der Steuerung und können nicht ins Archiv "
        "übernommen werden.");
  const std::filesystem::path file = ArchiveFileOf(chosenFile, folder, record->PlantId);
  // Checked before the file is opened: an empty live archive stays unclaimed.
  if (!livePlant.empty() && record->PlantId != livePlant && file == ArchiveFileOf(chosenFile, folder, livePlant))
    RefuseOtherPlant(record->PlantId, file, livePlant, "ist das der abgefragten Anlage");
  PlantArchive archive(file);
  const std::string owner = archive.Info().PlantId;
  if (!owner.empty() && owner != record->PlantId) RefuseOtherPlant(record->PlantId, file, owner, "gehört zur Anlage");
  return {file, archive.Write(*record)};
}

}  // namespace Archive
