#pragma once
// The processes of one alarm command's run, ended together: the program and
// whatever it starts (a mail program, curl). On Linux a process group of its
// own; on Windows a job object. What the program left running when it ended
// by itself keeps running, on both.
#include <QProcess>
#include <cstdint>

class CommandGroup {
public:
  CommandGroup();
  ~CommandGroup();
  CommandGroup(const CommandGroup&) = delete;
  CommandGroup& operator=(const CommandGroup&) = delete;

  // Before the start: on Linux the program makes a process group of its own.
  void Prepare(QProcess& process);
  // Once it runs: on Windows the program joins the job, and whatever it
  // starts from then on joins with it.
  void Adopt(const QProcess& process);
  // Asks the program to end (Linux: SIGTERM to the group; Windows: the
  // program's windows are asked to close), or ends the group outright (SIGKILL
  // to the group; the job's processes terminated).
  void End(QProcess& process, bool hard);

private:
  intptr_t job_ = 0;  // the job's HANDLE on Windows
};
