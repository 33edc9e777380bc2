#pragma once
// A raw pseudo-terminal pair on Linux: the port under test opens the terminal
// side (SlavePath), the test plays the line's other end on the master. The
// slave stays open here too, so the tty's settings can be read back and the
// line does not hang up when the port closes.
#include <functional>
#include <string>

class PtyLine {
public:
  PtyLine();
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  int Slave() const { return slave_; }
  void Write(const std::string& bytes);
  // Reads what arrives within the time limit, stopping early once `want`
  // bytes came; `idle` runs between short polls (a test's main-thread loop).
  std::string Read(size_t want, int timeoutMs, const std::function<void()>& idle = {});
  // Hangs the line up, as a pulled adapter does.
  void CloseMaster();

private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};
