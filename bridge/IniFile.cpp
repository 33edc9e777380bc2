#include "bridge/IniFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// "value" keeps its blanks inside the quotes.
std::string Unquoted(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

std::string Where(const std::string& source, int line) { return source + ":" + std::to_string(line) + ": "; }

}  // namespace

std::vector<IniEntry> ParseIni(const std::string& text, const std::string& source) {
  std::vector<IniEntry> entries;
  std::istringstream lines(text);
  std::string section;
  int number = 0;
  for (std::string raw; std::getline(lines, raw);) {
    ++number;
    const std::string line = Trimmed(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') throw IniError(Where(source, number) + "a section header ends with ']'");
      section = Trimmed(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      throw IniError(Where(source, number) + "expected 'name = value', found '" + line + "'");
    const std::string name = Trimmed(line.substr(0, equals));
    if (name.empty()) throw IniError(Where(source, number) + "a name is missing before '='");
    entries.push_back({section, name, Unquoted(Trimmed(line.substr(equals + 1))), number});
  }
  return entries;
}

std::vector<IniEntry> ReadIniFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw IniError("cannot read " + path + " (" + std::strerror(errno) + ")");
  std::stringstream text;
  text << in.rdbuf();
  return ParseIni(text.str(), path);
}
