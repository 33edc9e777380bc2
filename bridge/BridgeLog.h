#pragma once
// The bridge's log: one line per event on standard error, where the journal
// reads it, or in a log file (a Windows service's). A subject that keeps failing the same way is logged once, until
// something else happens to it.
#include <filesystem>
#include <map>
#include <string>

class BridgeLog {
public:
  // Writes the line at once.
  static void Line(const std::string& text);
  // From now on lines go to this file (see LogFile) instead of standard
  // error. Raises Exception when it cannot be written.
  static void ToFile(const std::filesystem::path& path);
  // Writes the line unless the subject's last line was the same text.
  void Once(const std::string& subject, const std::string& text);
  // The subject's next line is written again, whatever it says.
  void Forget(const std::string& subject) { last_.erase(subject); }

private:
  std::map<std::string, std::string> last_;
};
