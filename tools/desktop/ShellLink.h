#pragma once
// What a Windows shortcut (.lnk) starts: the target's local path and the
// working folder it names, read from the file as the shell reads it.
#include <QString>
#include <optional>

struct ShellLinkTarget {
  QString Path;           // for example C:\Program Files\PCZentrixNet\PCZentrixNet.exe
  QString WorkingFolder;  // empty when the shortcut names none
};

// Nothing when the file is no shortcut or names no local target.
std::optional<ShellLinkTarget> ReadShellLink(const QString& file);
