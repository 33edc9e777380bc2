#pragma once
// Whether a file that holds a secret (the broker password) is open to others.
#include <optional>
#include <string>

// What is wrong and how to mend it, for the refusal: on Linux when others
// than the owner and the group may read it ("may be read by others (mode
// 0644); make it private: chmod 600 FILE"); on Windows when its access list
// lets others than its owner, the administrators, the system and a service's
// own account read it (the remedy an icacls command line).
std::optional<std::string> SecretFileExposure(const std::string& path);
