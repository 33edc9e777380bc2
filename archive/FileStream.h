#pragma once
// An output stream buffer over a C file that it does not own, so that a file
// opened by the operating system's own call can be written as a std::ostream.
#include <cstdio>
#include <streambuf>

namespace Archive {

class FileOutBuffer : public std::streambuf {
public:
  void Attach(std::FILE* file) { file_ = file; }

protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
  std::FILE* file_ = nullptr;
};

}  // namespace Archive
