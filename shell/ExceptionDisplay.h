#pragma once
// The application's one exception display: an exception that leaves a handler
// shows its text in a message box, and the program carries on.
#include <exception>
#include <string>

#include "base/Exception.h"  // Guarded: handlers hand their exceptions to this display

// Makes this display the one that Guarded and the serial port component report to.
void InstallExceptionDisplay();
// Shows the exception's text (also written to standard error).
void ShowException(const std::exception& e);
void ShowExceptionMessage(const std::string& message);

// What the display showed last, and how often it was used (for tests and the
// end-to-end checks). Message boxes can be switched off for unit tests.
const std::string& LastExceptionMessage();
int ExceptionCount();
void SetExceptionBoxesEnabled(bool enabled);
void ClearExceptionRecord();
