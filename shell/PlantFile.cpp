#include "shell/PlantFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/PlantStore.h"

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

std::string ErrnoText(int error) {
  return std::to_string(error) + ", " + std::strerror(error);
}

// "Die Datei "…" kann nicht <done> werden (<reason>)." The message is UTF-8,
// like every text the error display shows.
EPlantFileError FileError(const std::string& path, const char* done, const std::string& reason) {
  return EPlantFileError("Die Datei \"" + path + "\" kann nicht " + done + " werden (" + reason + ").");
}

// The file a path names, with symbolic links resolved; the path itself when it
// does not resolve (a new file, a dangling link).
std::string LinkTarget(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

// An existing file keeps its permissions; a new one gets what the user's umask allows.
mode_t ModeFor(const std::string& target) {
  struct stat status {};
  if (::stat(target.c_str(), &status) == 0) return status.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes all bytes; returns 0 or the error number.
int WriteWhole(int fd, const std::vector<uint8_t>& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    written += static_cast<size_t>(n);
  }
  return 0;
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

void SavePlantFile(const std::string& path) {
  // Through a link the file it points to is replaced and the link kept.
  const std::string target = LinkTarget(path);
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) throw FileError(path, "gespeichert", ErrnoText(errno));
  int error = WriteWhole(fd, PlantFileBytes());
  if (error == 0 && ::fchmod(fd, ModeFor(target)) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw FileError(path, "gespeichert", ErrnoText(error));
  }
}

void OpenPlantFile(const std::string& path) {
  // Non-blocking, so that a pipe or a device chosen by mistake cannot hang the window.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw FileError(path, "geöffnet", ErrnoText(errno));
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw FileError(path, "geöffnet", "keine gewöhnliche Datei");
  }
  std::vector<uint8_t> bytes(PlantFileSize);
  size_t got = 0;
  int error = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (error != 0) throw FileError(path, "gelesen", ErrnoText(error));
  bytes.resize(got);
  LoadPlantFileBytes(bytes);
  RecomputeScales();
}
