#include "serial/internal/VaFormat.h"

std::string FormatArgs(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string text;
  text.reserve(format.size() + 64);
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    const char kind = i + 1 < format.size() ? format[i + 1] : '\0';
    if (c == '%' && kind == '%') {
      text += '%';
      ++i;
    } else if (c == '%' && (kind == 'd' || kind == 's') && next != args.end()) {
      text += *next++;
      ++i;
    } else {
      text += c;
    }
  }
  return text;
}
