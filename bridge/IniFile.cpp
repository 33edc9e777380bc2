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

// A '#' after a blank starts a comment, unless it stands inside double quotes:
// "mqtt-host = 127.0.0.1   # the local broker" means 127.0.0.1. A '#' right
// after other characters stays part of the value.
std::string WithoutComment(const std::string& value) {
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '"') quoted = !quoted;
    if (value[i] == '#' && !quoted && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t'))
      return value.substr(0, i);
  }
  return value;
}

// Editors on Windows save UTF-8 with a byte-order mark.
std::string WithoutByteOrderMark(const std::string& text) {
  return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text;
}

std::string Where(const std::string& source, int line) { return source + ":" + std::to_string(line) + ": "; }

}  // namespace

std::vector<IniEntry> ParseIni(const std::string& text, const std::string& source) {
  std::vector<IniEntry> entries;
  std::istringstream lines(WithoutByteOrderMark(text));
  std::string section;
  int number = 0;
  for (std::string raw; std::getline(lines, raw);) {
    ++number;
    const std::string line = Trimmed(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']') throw EIniError(Where(source, number) + "a section header ends with ']'");
      section = Trimmed(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      // The line itself is not repeated: it may be a password pasted into the wrong file.
      throw EIniError(Where(source, number) + "expected 'name = value' or a comment");
    const std::string name = Trimmed(line.substr(0, equals));
    if (name.empty()) throw EIniError(Where(source, number) + "a name is missing before '='");
    entries.push_back({section, name, Unquoted(Trimmed(WithoutComment(line.substr(equals + 1)))), number});
  }
  return entries;
}

std::vector<IniEntry> ReadIniFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EIniError("cannot read " + path + " (" + std::strerror(errno) + ")");
  std::stringstream text;
  text << in.rdbuf();
  return ParseIni(text.str(), path);
}
