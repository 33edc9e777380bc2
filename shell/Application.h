#pragma once
// The application object: every exception that leaves an event handler is
// shown by the exception display instead of ending the program.
#include <QApplication>

#include "shell/ProgramOptions.h"

class TApplication : public QApplication {
public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Creates every window once, in the fixed order, the main window first.
void CreateWindows(const ProgramOptions& options = {});
