#pragma once
// A small INI file as the bridge reads its configuration: "name = value"
// lines, '#' and ';' comment lines, blank lines and section headers, each
// entry with the line it came from (for messages that point at it). A '#'
// after a blank ends the value (a comment), except inside double quotes; a
// UTF-8 byte-order mark at the start is skipped.
#include <string>
#include <vector>

#include "base/Exception.h"

struct IniEntry {
  std::string Section;  // empty before the first header
  std::string Name;
  std::string Value;  // trimmed; one pair of surrounding double quotes removed
  int Line = 0;
};

class EIniError : public Exception {
public:
  using Exception::Exception;
};

// The entries of the text in file order. Raises EIniError ("<source>:<line>: ...")
// for a line that is neither an entry, a header, a comment nor blank.
std::vector<IniEntry> ParseIni(const std::string& text, const std::string& source);
// The same from a file; EIniError when it cannot be read.
std::vector<IniEntry> ReadIniFile(const std::string& path);
