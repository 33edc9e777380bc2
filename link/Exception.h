#pragma once
// The toolkit's exception class: every error the program reports carries its
// message text. Handlers let it travel up to the application's exception display.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};
