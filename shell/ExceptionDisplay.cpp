#include "shell/ExceptionDisplay.h"

#include <QApplication>
#include <cstdio>

#include "base/Exception.h"
#include "views/SingleBox.h"

namespace {

std::string LastMessage;
int Count = 0;
bool BoxesEnabled = true;
QPointer<QMessageBox> Box;

// One box at a time: a second error while the first is still on screen
// replaces its text.
void ShowBox(const QString& text) {
  if (!BoxesEnabled || QApplication::instance() == nullptr) return;
  ShowSingleBox(Box, QMessageBox::Critical, text, nullptr, QStringLiteral("ExceptionBox"));
}

}  // namespace

void InstallExceptionDisplay() {
  SetApplicationExceptionHandler([](const std::exception& e) { ShowException(e); });
}

void ShowExceptionMessage(const std::string& message) {
  LastMessage = message;
  ++Count;
  std::fprintf(stderr, "PCZentrixNet: error: %s\n", message.c_str());
  std::fflush(stderr);
  ShowBox(QString::fromStdString(message));
}

void ShowException(const std::exception& e) { ShowExceptionMessage(e.what()); }

const std::string& LastExceptionMessage() { return LastMessage; }
int ExceptionCount() { return Count; }
void SetExceptionBoxesEnabled(bool enabled) { BoxesEnabled = enabled; }

void ClearExceptionRecord() {
  LastMessage.clear();
  Count = 0;
}
