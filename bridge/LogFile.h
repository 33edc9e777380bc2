#pragma once
// A log file that does not grow without bound: once it holds the limit, it
// becomes NAME.1 (replacing the older one) and a new file is started. Lines
// are written whole and at once, each with the local time in front.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

class LogFile {
public:
  static constexpr std::uintmax_t DefaultLimit = 1024 * 1024;

  // Creates the folder; raises Exception when the file cannot be opened.
  explicit LogFile(std::filesystem::path path, std::uintmax_t limit = DefaultLimit);
  // Any thread.
  void Write(const std::string& line);

private:
  void Open(std::ios::openmode mode);
  void RotateIfFull();

  std::filesystem::path path_;
  std::uintmax_t limit_;
  std::uintmax_t size_ = 0;
  std::ofstream out_;
  std::mutex lock_;
};
