#pragma once
// The system's texts are 8-bit code page 1252. Source files are UTF-8, so
// literals with German letters are converted once, where they are defined.
#include <string>
#include <string_view>

// UTF-8 to code page 1252; characters the code page lacks become '?'.
std::string Cp1252FromUtf8(std::string_view utf8);
// Code page 1252 to UTF-8; the five unassigned codes map to U+FFFD.
std::string Utf8FromCp1252(std::string_view cp1252);
