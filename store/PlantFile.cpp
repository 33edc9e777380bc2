#include "store/PlantFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "store/PlantStore.h"

namespace fs = std::filesystem;

namespace {

// Each piece of the file is one group of the store, reserved bytes included.
struct Piece {
  unsigned char* memory;
  size_t size;
};

std::vector<Piece> PiecesInFileOrder() {
  return {{reinterpret_cast<unsigned char*>(&GroupB), sizeof GroupB},
          {reinterpret_cast<unsigned char*>(&GroupA), sizeof GroupA},
          {reinterpret_cast<unsigned char*>(&GroupC), sizeof GroupC}};
}

size_t WordBytesOf(size_t pieceIndex) {
  switch (pieceIndex) {
    case 0: return 1600;  // Block3 .. Block10
    case 1: return 600;   // Block2, Block14, Block19
    default: return 800;  // Block15 .. Block18
  }
}

// Byte k of a piece as the file holds it: words low byte first, reserved bytes
// as they lie in memory.
uint8_t FileByte(const Piece& piece, size_t wordBytes, size_t k) {
  if (k >= wordBytes) return piece.memory[k];
  uint16_t w;
  std::memcpy(&w, piece.memory + (k & ~size_t{1}), 2);
  return static_cast<uint8_t>(k % 2 == 0 ? w & 0xFF : w >> 8);
}

void SetFileByte(const Piece& piece, size_t wordBytes, size_t k, uint8_t byte) {
  if (k >= wordBytes) {
    piece.memory[k] = byte;
    return;
  }
  uint16_t w;
  std::memcpy(&w, piece.memory + (k & ~size_t{1}), 2);
  w = k % 2 == 0 ? static_cast<uint16_t>((w & 0xFF00) | byte) : static_cast<uint16_t>((w & 0x00FF) | byte << 8);
  std::memcpy(piece.memory + (k & ~size_t{1}), &w, 2);
}

// The reason as "<number>, <text>". A system's own error (a Windows error
// code) is given by its portable meaning, whose text is the same on every
// system and plain ASCII, so the message stays in one encoding.
std::string ErrorText(const std::error_code& error) {
  const std::error_condition meaning = error.default_error_condition();
  const std::string text = meaning.category() == std::generic_category() ? meaning.message() : error.message();
  return std::to_string(error.value()) + ", " + text;
}

std::error_code LastError(int fallback) { return {errno != 0 ? errno : fallback, std::generic_category()}; }

std::string Utf8Text(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// "Die Datei "…" kann nicht <done> werden (<reason>)." The message is UTF-8,
// like every text the error display shows.
EPlantFileError FileError(const fs::path& path, const char* done, const std::string& reason) {
  // Shown with the system's separators (a file dialog's name may have '/' on Windows).
  return EPlantFileError("Die Datei \"" + Utf8Text(fs::path(path).make_preferred()) + "\" kann nicht " + done +
                         " werden (" + reason + ").");
}

// The C library's open with the path as the system names it: the wide call on
// Windows, where the narrow one would take the local code page.
std::FILE* OpenFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

// The file a path names, with symbolic links resolved; the path itself when it
// does not resolve (a new file, a dangling link).
fs::path LinkTarget(const fs::path& path) {
  std::error_code error;
  fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

// A name beside the target that no file has yet. A neighbour that happens to
// be named like a temporary is left alone.
fs::path FreeTemporaryName(const fs::path& target) {
  static std::mt19937_64 random{std::random_device{}()};
  for (;;) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    fs::path candidate = target;
    candidate += suffix;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
  }
}

// Writes the bytes into a new file; returns the error, if any.
std::error_code WriteNewFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  errno = 0;
  std::FILE* file = OpenFile(path, "wb");
  if (file == nullptr) return LastError(EIO);
  std::error_code error;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) error = LastError(EIO);
  if (std::fflush(file) != 0 && !error) error = LastError(EIO);
  if (std::fclose(file) != 0 && !error) error = LastError(EIO);
  return error;
}

// An existing file keeps its permissions; a new one has what the user's defaults give.
std::error_code KeepPermissions(const fs::path& temporary, const fs::path& target) {
  std::error_code error;
  const fs::file_status status = fs::status(target, error);
  if (error || !fs::exists(status)) return {};
  fs::permissions(temporary, status.permissions(), fs::perm_options::replace, error);
  return error;
}

// Reads up to PlantFileSize bytes of a regular file; raises with the reason.
std::vector<uint8_t> ReadPlantFile(const fs::path& path) {
  // Checked before opening, so that a pipe or a device chosen by mistake
  // cannot hang the window in the open call.
  std::error_code status;
  const fs::file_type type = fs::status(path, status).type();
  if (status && type != fs::file_type::not_found) throw FileError(path, "geöffnet", ErrorText(status));
  if (type != fs::file_type::regular && type != fs::file_type::not_found)
    throw FileError(path, "geöffnet", "keine gewöhnliche Datei");
  errno = 0;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) throw FileError(path, "geöffnet", ErrorText(LastError(ENOENT)));
  std::vector<uint8_t> bytes(PlantFileSize);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  const bool failed = std::ferror(file) != 0;
  const std::error_code error = LastError(EIO);
  std::fclose(file);
  if (failed) throw FileError(path, "gelesen", ErrorText(error));
  return bytes;
}

}  // namespace

std::vector<uint8_t> PlantFileBytes() {
  std::vector<uint8_t> bytes;
  bytes.reserve(PlantFileSize);
  const auto pieces = PiecesInFileOrder();
  for (size_t p = 0; p < pieces.size(); ++p)
    for (size_t k = 0; k < pieces[p].size; ++k) bytes.push_back(FileByte(pieces[p], WordBytesOf(p), k));
  return bytes;
}

size_t LoadPlantFileBytes(const std::vector<uint8_t>& bytes) {
  size_t offset = 0;
  const auto pieces = PiecesInFileOrder();
  for (size_t p = 0; p < pieces.size(); ++p)
    for (size_t k = 0; k < pieces[p].size && offset < bytes.size(); ++k)
      SetFileByte(pieces[p], WordBytesOf(p), k, bytes[offset++]);
  return offset;
}

void SavePlantFile(const fs::path& path) {
  // Through a link the file it points to is replaced and the link kept.
  const fs::path target = LinkTarget(path);
  const fs::path temporary = FreeTemporaryName(target);
  std::error_code error = WriteNewFile(temporary, PlantFileBytes());
  if (!error) error = KeepPermissions(temporary, target);
  // The rename replaces the target in one step (on Windows too: the library
  // replaces an existing file), so a reader sees the old file or the new one.
  if (!error) fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw FileError(path, "gespeichert", ErrorText(error));
  }
}

size_t OpenPlantFile(const fs::path& path) {
  const size_t taken = LoadPlantFileBytes(ReadPlantFile(path));
  RecomputeScales();
  return taken;
}
