// PCZentrixNet: monitoring and configuration of a photovoltaic plant's controller.
#include <QScreen>

#include "session/PortReport.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"
#include "shell/ExceptionDisplay.h"
#include "shell/ParentConsole.h"
#include "shell/SingleInstance.h"
#include "shell/TStart.h"
#include "shell/WindowsFileOperations.h"

int main(int argc, char** argv) {
  UseParentConsole();
  UseSystemFileOperations();
  UseProgramPortsFolder();
  ProgramOptions options;
  if (const auto answered = AnswerCommandLine(argc, argv, options)) return *answered;
  TApplication app(argc, argv);
  const InstanceLock instance;
  if (!instance.First() && !AskToStartAnother()) return 0;
  int result = 0;
  try {
    CreateWindows(options);
    const QRect desktop = app.primaryScreen()->availableGeometry();
    Start->adjustSize();
    Start->move(desktop.center() - Start->rect().center());
    Start->show();
    result = app.exec();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowExceptionMessage("");
  }
  delete Start;
  return result;
}
