#include "bridge/LogFile.h"

#include <QDateTime>
#include <system_error>

#include "base/Exception.h"

LogFile::LogFile(std::filesystem::path path, std::uintmax_t limit) : path_(std::move(path)), limit_(limit) {
  std::error_code error;
  std::filesystem::create_directories(path_.parent_path(), error);
  Open(std::ios::app);
  if (!out_) throw Exception("cannot write the log file " + path_.string());
}

void LogFile::Open(std::ios::openmode mode) {
  out_.open(path_, std::ios::binary | mode);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_, error);
  size_ = error ? 0 : size;
}

// The old file is closed before it is renamed: Windows renames no open file.
// When it cannot be renamed (another program holds NAME.1 open), it starts
// over empty rather than grow.
void LogFile::RotateIfFull() {
  if (size_ < limit_) return;
  out_.close();
  std::filesystem::path old = path_;
  old += ".1";
  std::error_code error;
  std::filesystem::rename(path_, old, error);
  Open(error ? std::ios::trunc : std::ios::app);
}

void LogFile::Write(const std::string& line) {
  const std::lock_guard<std::mutex> hold(lock_);
  RotateIfFull();
  const std::string text = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss ").toStdString() + line + "\n";
  out_ << text;
  out_.flush();
  size_ += text.size();
}
