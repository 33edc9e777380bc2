#include "archive/ArchiveLocation.h"

#include <cstdio>
#include <cstdlib>

#include "archive/ArchiveError.h"

namespace Archive {

#ifndef _WIN32
namespace {

std::filesystem::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace
#endif

std::filesystem::path DefaultArchiveFolder() {
#ifdef _WIN32
  // The wide variant, so that a user name outside the ANSI code page survives.
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local != nullptr && *local != L'\0') return std::filesystem::path(local) / "PCZentrixNet";
  throw ArchiveError("PCZentrixNet", "Archivordner unbekannt", "LOCALAPPDATA ist nicht gesetzt");
#else
  const std::filesystem::path data = FromEnvironment("XDG_DATA_HOME");
  if (data.is_absolute()) return data / "PCZentrixNet";
  const std::filesystem::path home = FromEnvironment("HOME");
  if (home.is_absolute()) return home / ".local" / "share" / "PCZentrixNet";
  throw ArchiveError("PCZentrixNet", "Archivordner unbekannt", "weder XDG_DATA_HOME noch HOME ist gesetzt");
#endif
}

std::filesystem::path ArchiveFileFor(const std::filesystem::path& folder, const std::string& plantId) {
  std::string name = "Anlage-";
  for (unsigned char c : plantId) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    char escaped[4];
    std::snprintf(escaped, sizeof escaped, "%%%02X", c);
    name += plain ? std::string(1, static_cast<char>(c)) : std::string(escaped);
  }
  return folder / (name + ".sqlite");
}

}  // namespace Archive
