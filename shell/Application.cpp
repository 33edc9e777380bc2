#include "shell/Application.h"

#include "link/Commands.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "shell/ExceptionDisplay.h"
#include "shell/QtGermanTexts.h"
#include "shell/TForm10.h"
#include "shell/TForm11.h"
#include "shell/TForm8.h"
#include "shell/TStart.h"
#include "views/archive/TForm14.h"
#include "views/history/ChartForms.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallExceptionDisplay();
  LoadQtGermanTexts();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowExceptionMessage("");
  }
  return false;
}

void CreateWindows(const ProgramOptions& options) {
  Start = new TStart(options);
  Form12 = new TForm12(Start);
  Form11 = new TForm11(Start);
  Form10 = new TForm10(Start);
  Form9 = new TForm9(Start);
  Form8 = new TForm8(Start);
  Form7 = new TForm7(Start);
  SetCommandControls(Form7);
  Form6 = new TForm6(Start);
  Form5 = new TForm5(Start);
  Form4 = new TForm4(Start);
  Form3 = new TForm3(Start);
  Form1 = new TForm1(Start);
  Form13 = new TForm13(Start);
  Form14 = new TForm14(Start);
}
