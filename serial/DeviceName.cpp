#include "serial/DeviceName.h"

#include <cctype>

namespace DeviceName {

namespace {
constexpr std::string_view DevicePrefix = "\\\\.\\";
}  // namespace

std::string_view StripDevicePrefixes(std::string_view name) {
  while (name.substr(0, DevicePrefix.size()) == DevicePrefix) name.remove_prefix(DevicePrefix.size());
  return name;
}

long ComNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 12) return -1;
  for (size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return -1;
  }
  long number = 0;
  for (char c : name.substr(3)) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace DeviceName
