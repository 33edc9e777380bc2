#pragma once
// The toolkit's exception class: every error the program reports carries its
// message text. Handlers let it travel up to the application's exception display.
//
// Naming rule: every exception the project defines derives from Exception and
// is named E<What>Error after what failed (EVaCommError, EPlantFileError,
// EArchiveError, EIniError, EOptionError); what callers decide on is a member
// (a kind, a file), never a text to compare.
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// --- the application's exception display ---------------------------------------
// The program sets its display (a message box); the default prints to stderr.
// Handlers that run outside the display's reach (a thread's events, a button's
// click) hand their exceptions to it here.
void SetApplicationExceptionHandler(std::function<void(const std::exception&)> handler);
void HandleApplicationException(const std::exception& error);
// Hands the exception being handled (inside a catch block) to the display;
// a value that is not a std::exception shows as an exception with an empty message.
void HandleCurrentException();

// Runs a handler; an exception that leaves it goes to the display.
template <class Handler>
void Guarded(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (...) {
    HandleCurrentException();
  }
}
