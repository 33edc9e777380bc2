#pragma once
// Where the bridge keeps the plant's archive when --archive names no file.
#include <filesystem>

enum class RunAs { Console, Service };

// Linux: the archive's default folder ($XDG_DATA_HOME/PCZentrixNet; the
// systemd unit sets XDG_DATA_HOME to its state folder). Windows: the user's
// %LOCALAPPDATA%\PCZentrixNet, or %ProgramData%\PCZentrixNet for a service,
// whose account's own folders nobody looks into. Raises Exception when the
// environment names none.
std::filesystem::path DefaultBridgeFolder(RunAs as);
