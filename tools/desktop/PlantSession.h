#pragma once
// A whole-program run as a user has it: the simulator on a pseudo-terminal
// linked as a COM port in a ports folder of the run's own, the real program in
// a working folder that holds its pictures, on a headless desktop.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <vector>

#include "store/StoreWords.h"
#include "tools/desktop/Desktop.h"

// The meter count a plant file holds: its word in Block3, which opens the
// file, little-endian.
inline int MeterCountOf(const QByteArray& plantFile) {
  constexpr int offset = 2 * Word::Block3::MeterCount;
  if (plantFile.size() < offset + 2) return -1;
  return static_cast<uint8_t>(plantFile[offset]) | static_cast<uint8_t>(plantFile[offset + 1]) << 8;
}

// The menus of the main window, in the order of the menu bar.
enum class Menu { Datei = 0, Anlagendaten = 1, Schnittstelle = 2, Hilfe = 3 };

// The windows that the items of "Anlagendaten" open, item 0 first.
inline constexpr const char* ViewTitles[] = {"Tagesdaten",          "Monatsdaten",        "Jahresdaten",
                                             "Jahresenergiebilanz", "Tagesenergiebilanz", "Ertrag der Anlage",
                                             "Tageswerte",          "Einstellungen"};

// The Windows program under wine: its installed folder (the program, Qt's
// libraries, the pictures; also its working folder), the folder of the comN
// links that the wine prefix's COM ports lead to, and the modem-line shim
// preloaded into wine. The prefix is the one WINEPREFIX names. With a Start
// menu entry (its .lnk file), the program is started as the entry says, as the
// shell starts it: the entry's target in the entry's working folder.
struct WineProgram {
  QString ProgramDir;
  QString PortsDir;
  QString Shim;
  QString StartMenuEntry = {};
  // %APPDATA%\PCZentrixNet\ports of the prefix's user, where NamePort writes.
  QString PortsEntries = {};
};

class PlantSession {
public:
  PlantSession(Desktop& desktop, const QString& binDir);
  // The Windows program under wine; the simulator still comes from binDir.
  PlantSession(Desktop& desktop, const QString& binDir, const WineProgram& wine);
  ~PlantSession();

  QString WorkDir() const { return work_.path(); }
  void KeepWorkDir() { work_.setAutoRemove(false); }
  QString File(const QString& name) const { return work_.filePath(name); }

  // The simulator as COM `com`, with extra options; its log goes to sim-N.log.
  // Under wine, COM `com` of the prefix leads to the simulator's terminal.
  // With `com` 0 no port leads to it: something else serves its terminal.
  bool StartSimulator(const QStringList& options, int com = 1);
  // The simulator's terminal (its path, /dev/pts/N), once started.
  QString SimulatorTerminal() const { return simTerminal_; }
  // Makes COM `com` of the program's ports folder a one-line text file that
  // names a network port ("rfc2217://127.0.0.1:4001") instead of a link.
  bool NamePort(int com, const QString& networkName);
  // Ends the simulator as a pulled cable would: at once, mid-frame or not.
  void KillSimulator();
  void StopSimulator();
  QString SimulatorLog() const;
  // Waits until the simulator's log holds a line containing `text` (after
  // `skipLines` lines), up to `timeoutMs`; returns that line or an empty text.
  QString WaitForLog(const QString& text, int timeoutMs, int skipLines = 0) const;
  int LogLineCount() const;

  // Starts the program with its command line options. Its archives go to the
  // run's own data folder (XDG_DATA_HOME), never to the user's. Waits until
  // its main window shows or it ends (a new machine's first start can be
  // slow), calling `waiting` with the seconds so far every ten seconds.
  bool StartProgram(const QStringList& arguments = {}, const std::function<void(int)>& waiting = {});
  bool ProgramRunning() const;
  // The folder the program runs in (its pictures are there).
  QString ProgramDir() const;
  // What the program wrote to its standard error (the exception display's lines).
  QString ProgramErrors() const;
  qint64 ProgramPid() const { return program_.processId(); }
  // CPU time (user + system) of the program so far, in milliseconds.
  long ProgramCpuMs() const;
  // The same for the wine server of the prefix the program runs in (WINEPREFIX); -1 without one.
  static long WineServerCpuMs();
  void QuitProgram();
  // Why the last StartSimulator or StartProgram failed: which process, its
  // exit status and its last lines of output.
  QString StartFailure() const { return failure_; }

  // User steps.
  std::optional<ScreenRect> MainWindow() const;
  void ClickPortButton(int port);
  // Opens a menu of the menu bar and picks its item `item` (0 = first).
  void ChooseMenuItem(Menu menu, int item);
  // Clicks a point given in a window's client coordinates.
  bool ClickIn(const QString& windowTitle, int x, int y);
  // Types a path into the open file dialog (typingDelayMs between the keys)
  // and confirms it.
  bool AnswerFileDialog(const QString& path, int typingDelayMs = 40);
  // Closes the exception display's message box (Return on it).
  bool DismissErrorBox();

private:
  bool WaitForMainWindow(const std::function<void(int)>& waiting);

  Desktop& desktop_;
  QString binDir_;
  std::optional<WineProgram> wine_;
  QTemporaryDir work_;
  QProcess sim_;
  QProcess program_;
  QString simLog_;
  QString simTerminal_;
  int simRuns_ = 0;
  QString failure_;
  QStringList namedEntries_;  // NamePort's files outside the work folder, removed at the end
};
