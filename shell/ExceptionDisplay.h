#pragma once
// The application's one exception display: an exception that leaves a handler
// shows its text in a message box, and the program carries on.
#include <exception>
#include <string>
#include <utility>

// Makes this display the one that the serial port component reports to.
void InstallExceptionDisplay();
// Shows the exception's text (also written to standard error).
void ShowException(const std::exception& e);
void ShowExceptionMessage(const std::string& message);

// Runs a handler; an exception that leaves it goes to the display.
template <class Handler>
void Guarded(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowExceptionMessage("");
  }
}

// What the display showed last, and how often it was used (for tests and the
// end-to-end checks). Message boxes can be switched off for unit tests.
const std::string& LastExceptionMessage();
int ExceptionCount();
void SetExceptionBoxesEnabled(bool enabled);
void ClearExceptionRecord();
