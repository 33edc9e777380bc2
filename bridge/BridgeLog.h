#pragma once
// The bridge's log: one line per event on standard error, where the journal
// reads it. A subject that keeps failing the same way is logged once, until
// something else happens to it.
#include <map>
#include <string>

class BridgeLog {
public:
  // Writes the line at once.
  static void Line(const std::string& text);
  // Writes the line unless the subject's last line was the same text.
  void Once(const std::string& subject, const std::string& text);
  // The subject's next line is written again, whatever it says.
  void Forget(const std::string& subject) { last_.erase(subject); }

private:
  std::map<std::string, std::string> last_;
};
