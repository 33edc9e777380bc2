#pragma once
// The ports folder as both bindings keep it (SetPortsFolder, PortsFolder) and
// its text entries: a plain file whose first line names a line on the network.
#include <optional>
#include <string>

namespace PortDiscovery {

// The first line of an entry that is a plain file, without surrounding blanks
// and line ends (a network port name, when the user wrote it right); nothing
// for a link or anything else.
std::optional<std::string> TextEntry(const std::string& entry);

}  // namespace PortDiscovery
