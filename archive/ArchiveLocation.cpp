#include "archive/ArchiveLocation.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "archive/ArchiveError.h"

namespace Archive {

namespace {

// A plant's archive file is named "Anlage-<plant>.sqlite".
const std::string FilePrefix = "Anlage-";
const std::string FileSuffix = ".sqlite";

#ifndef _WIN32
std::filesystem::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}
#endif

bool IsArchiveName(const std::string& name) {
  return name.size() > FilePrefix.size() + FileSuffix.size() && name.compare(0, FilePrefix.size(), FilePrefix) == 0 &&
         name.compare(name.size() - FileSuffix.size(), FileSuffix.size(), FileSuffix) == 0;
}

// A file in WAL mode is written in its log until the log is folded in.
std::filesystem::file_time_type LastWrite(const std::filesystem::path& file) {
  std::error_code error;
  auto time = std::filesystem::last_write_time(file, error);
  std::filesystem::path log = file;
  log += "-wal";
  const auto logTime = std::filesystem::last_write_time(log, error);
  if (!error && logTime > time) time = logTime;
  return time;
}

}  // namespace

std::filesystem::path DefaultArchiveFolder() {
#ifdef _WIN32
  // The wide variant, so that a user name outside the ANSI code page survives.
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local != nullptr && *local != L'\0') return std::filesystem::path(local) / "PCZentrixNet";
  throw EArchiveError("PCZentrixNet", "Archivordner unbekannt", "LOCALAPPDATA ist nicht gesetzt");
#else
  const std::filesystem::path data = FromEnvironment("XDG_DATA_HOME");
  if (data.is_absolute()) return data / "PCZentrixNet";
  const std::filesystem::path home = FromEnvironment("HOME");
  if (home.is_absolute()) return home / ".local" / "share" / "PCZentrixNet";
  throw EArchiveError("PCZentrixNet", "Archivordner unbekannt", "weder XDG_DATA_HOME noch HOME ist gesetzt");
#endif
}

std::filesystem::path ArchiveFileFor(const std::filesystem::path& folder, const std::string& plantId) {
  std::string name = FilePrefix;
  for (unsigned char c : plantId) {
    const bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    char escaped[4];
    std::snprintf(escaped, sizeof escaped, "%%%02X", c);
    name += plain ? std::string(1, static_cast<char>(c)) : std::string(escaped);
  }
  return folder / (name + FileSuffix);
}

std::filesystem::path ArchiveFileOf(const std::filesystem::path& chosenFile, const std::filesystem::path& folder,
                                    const std::string& plantId) {
  if (!chosenFile.empty()) return chosenFile;
  return ArchiveFileFor(folder.empty() ? DefaultArchiveFolder() : folder, plantId);
}

std::filesystem::path NewestArchiveIn(const std::filesystem::path& folder) {
  std::filesystem::path newest;
  std::filesystem::file_time_type newestTime{};
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error) || !IsArchiveName(Utf8Path(entry.path().filename()))) continue;
    const auto time = LastWrite(entry.path());
    if (newest.empty() || time > newestTime) newest = entry.path(), newestTime = time;
  }
  return newest;
}

}  // namespace Archive
