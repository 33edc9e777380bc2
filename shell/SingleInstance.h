#pragma once
// One program per user and desktop: a second start says that the program is
// already running and asks whether another one should start anyway (for a
// second plant on another port; a port in use stays refused by its exclusive
// open). Programs on different displays, or without one, do not see each other.
// The lock is the system's and ends with its program, however the program
// ends: a named mutex on Windows, a file lock (flock) elsewhere.
#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;

class InstanceLock {
public:
  // The lock of this user's desktop, in the given folder.
  explicit InstanceLock(const QString& folder = LockFolder(), const QString& desktop = DesktopName());
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  // True when no other program of this user holds the lock of this desktop.
  bool First() const { return first_; }

  static QString LockFolder();
  // The desktop's name (the display), empty where there is no desktop to share.
  static QString DesktopName();

private:
  void* mutex_ = nullptr;  // Windows: the named mutex's handle
  int file_ = -1;          // elsewhere: the locked file
  bool first_ = true;
};

// The question to a user who starts the program a second time ("Nein" is the
// default); asked by AskToStartAnother, which is true to start.
std::unique_ptr<QMessageBox> SecondStartQuestion(QWidget* owner = nullptr);
bool AskToStartAnother(QWidget* owner = nullptr);
