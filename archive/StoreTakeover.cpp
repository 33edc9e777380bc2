#include "archive/StoreTakeover.h"

#include <optional>

#include "archive/ArchiveLocation.h"
#include "archive/PlantArchive.h"
#include "archive/StoreRecord.h"
#include "base/Exception.h"

namespace Archive {

TakeoverResult TakeStoreIntoArchive(const std::filesystem::path& chosenFile, const std::filesystem::path& folder,
                                    const std::string& plantName) {
  const std::optional<ExchangeRecord> record = RecordFromStore(plantName);
  if (!record)
    throw Exception("Die Anlagendaten tragen kein gültiges Datum der Steuerung und können nicht ins Archiv "
                    "übernommen werden.");
  const std::filesystem::path file = ArchiveFileOf(chosenFile, folder, record->PlantId);
  PlantArchive archive(file);
  const std::string owner = archive.Info().PlantId;
  if (!owner.empty() && owner != record->PlantId)
    throw Exception("Die Anlagendaten stammen von der Anlage \"" + record->PlantId + "\", das Archiv \"" +
                    Utf8Path(file) + "\" gehört zur Anlage \"" + owner +
                    "\". Die Daten werden nicht ins Archiv übernommen.");
  return {file, archive.Write(*record)};
}

}  // namespace Archive
