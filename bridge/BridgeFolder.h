#pragma once
// Where the bridge keeps the plant's archive when --archive names no file.
#include <filesystem>

enum class RunAs { Console, Service };

// Empty for the archive's own default folder, chosen when the first exchange
// is archived: $XDG_DATA_HOME/PCZentrixNet on Linux (the systemd unit sets
// XDG_DATA_HOME to its state folder), the user's %LOCALAPPDATA%\PCZentrixNet
// on Windows. A Windows service: %ProgramData%\PCZentrixNet, as nobody looks
// into its account's own folders; raises Exception when ProgramData is not set.
std::filesystem::path BridgeArchiveFolder(RunAs as);
