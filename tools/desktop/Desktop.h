#pragma once
// A headless desktop for whole-program runs: an Xvfb display of its own, and
// the user's hands on it through xdotool (clicks, keys, typing) and
// ImageMagick's import for screenshots.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

struct ScreenRect {
  int X = 0, Y = 0, Width = 0, Height = 0;
};

class Desktop {
public:
  Desktop();
  ~Desktop();
  // Starts the display; false (with the reason in Error()) when it cannot.
  bool Start();
  QString Display() const { return display_; }
  bool Running() const { return xvfb_.state() == QProcess::Running; }
  const QString& Error() const { return error_; }

  // The visible top-level window with exactly this title, waiting up to the time given.
  std::optional<ScreenRect> FindWindow(const QString& title, int timeoutMs = 5000) const;
  bool WindowVisible(const QString& title) const;
  // Whether no visible window has this title any more, waiting up to the time given.
  bool WindowGone(const QString& title, int timeoutMs) const;

  void Click(int x, int y) const;
  void Move(int x, int y) const;
  void Key(const QString& keys) const;  // xdotool key names, e.g. "Down", "Return", "ctrl+a"
  // Gives the keyboard to the visible window with exactly this title (there is
  // no window manager to do it on a click; wine's windows need it).
  void Focus(const QString& title) const;
  void Type(const QString& text, int delayMs = 40) const;  // delayMs between the keys
  // Puts the German umlauts on keys of their own (xmodmap), so that typing
  // them needs no key remapped on the fly, which wine does not follow. Call
  // before the program starts; false when xmodmap is missing or fails.
  bool MapUmlautKeys() const;
  // The ids of every window mapped on the screen, titled or not, sorted.
  QStringList VisibleWindows() const;
  // Saves a PNG of the window with this title, or of the whole screen for an empty title.
  bool Screenshot(const QString& title, const QString& path) const;

  // Runs a tool on this display; returns its standard output.
  QString Run(const QString& program, const QStringList& arguments, int timeoutMs = 10000) const;

private:
  QProcess xvfb_;
  QString display_;
  QString error_;
};
