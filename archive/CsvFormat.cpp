#include "archive/CsvFormat.h"

#include <cstdio>

namespace Archive {

namespace {

char Separator(CsvStyle style) { return style == CsvStyle::German ? ';' : ','; }

std::string Quoted(const std::string& field, CsvStyle style) {
  if (field.find_first_of(std::string(1, Separator(style)) + "\"\r\n") == std::string::npos) return field;
  std::string text = "\"";
  for (char c : field) text += c == '"' ? "\"\"" : std::string(1, c);
  return text + "\"";
}

}  // namespace

bool ParseCsvStyle(const std::string& name, CsvStyle& style) {
  if (name == "plain") style = CsvStyle::Plain;
  else if (name == "german") style = CsvStyle::German;
  else return false;
  return true;
}

std::string KwhText(int64_t wh, CsvStyle style) {
  const char* sign = wh < 0 ? "-" : "";
  const uint64_t magnitude = wh < 0 ? 0 - static_cast<uint64_t>(wh) : static_cast<uint64_t>(wh);
  char text[48];
  std::snprintf(text, sizeof text, "%s%llu%c%03llu", sign, static_cast<unsigned long long>(magnitude / 1000),
                style == CsvStyle::German ? ',' : '.', static_cast<unsigned long long>(magnitude % 1000));
  return text;
}

void WriteCsvStart(std::ostream& out, CsvStyle style) {
  if (style == CsvStyle::German) out << "\xEF\xBB\xBF";
}

void WriteCsvLine(std::ostream& out, const std::vector<std::string>& fields, CsvStyle style) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out << Separator(style);
    out << Quoted(fields[i], style);
  }
  out << "\r\n";
}

}  // namespace Archive
