#pragma once
// Paths between the windows and the file code: a name the user chose as the
// system's file calls take it, and a path as the windows show it.
#include <QString>
#include <filesystem>

// The path a text names (on Windows the wide name, so that umlauts and any
// character outside the local code page survive).
std::filesystem::path PathFromText(const QString& text);
// The path as a user of the system writes it: native separators.
QString PathText(const std::filesystem::path& path);
// A shown path that a word-wrapping label may break after each separator (a
// Windows path has no other place to break and would be cut off).
QString WrapAtSeparators(const QString& shownPath);
