#include "shell/PlantFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/Cp1252.h"
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

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

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
  const std::vector<uint8_t> bytes = PlantFileBytes();
  const std::string temporary = path + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int error = errno;
    throw EPlantFileError(Cp1252FromUtf8("Die Datei ") + Quoted(path) +
                          Cp1252FromUtf8(" kann nicht gespeichert werden (") + ErrnoText(error) + ").");
  }
  size_t written = 0;
  int error = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    written += static_cast<size_t>(n);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    throw EPlantFileError(Cp1252FromUtf8("Die Datei ") + Quoted(path) +
                          Cp1252FromUtf8(" kann nicht gespeichert werden (") + ErrnoText(error) + ").");
  }
}

void OpenPlantFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    throw EPlantFileError(Cp1252FromUtf8("Die Datei ") + Quoted(path) +
                          Cp1252FromUtf8(" kann nicht geöffnet werden (") + ErrnoText(error) + ").");
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
  if (error != 0) {
    throw EPlantFileError(Cp1252FromUtf8("Die Datei ") + Quoted(path) +
                          Cp1252FromUtf8(" kann nicht gelesen werden (") + ErrnoText(error) + ").");
  }
  bytes.resize(got);
  LoadPlantFileBytes(bytes);
  RecomputeScales();
}
