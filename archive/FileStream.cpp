#include "archive/FileStream.h"

namespace Archive {

FileOutBuffer::int_type FileOutBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (file_ == nullptr || std::fputc(traits_type::to_char_type(c), file_) == EOF) return traits_type::eof();
  return c;
}

std::streamsize FileOutBuffer::xsputn(const char* text, std::streamsize count) {
  if (file_ == nullptr) return 0;
  return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<size_t>(count), file_));
}

}  // namespace Archive
