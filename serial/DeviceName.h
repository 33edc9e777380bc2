#pragma once
// The device names the component formats ("\\.\COM3", "COM3", a path), taken
// apart the same way by every platform binding.
#include <string_view>

namespace DeviceName {

// The name without any leading "\\.\" device prefixes.
std::string_view StripDevicePrefixes(std::string_view name);
// The port number of "COMn" (any case, digits only, at most nine of them); -1 otherwise.
long ComNumber(std::string_view name);

}  // namespace DeviceName
