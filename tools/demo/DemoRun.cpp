// The headless demonstration: the program against the simulator on a virtual
// display, archiving into the folder given. It chooses COM 1, waits for a
// whole data cycle, opens every view, the setup wizard and the archive view
// from the menu, saves a screenshot of each, a plant file and a CSV export
// into that folder, and exits 0 only if all of that worked.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdio>

#include "archive/PlantArchive.h"
#include "tools/desktop/PlantSession.h"
#include "tools/desktop/StartedProcesses.h"

namespace {

// The days with quarter hours the archive file holds; 0 when it cannot be read.
size_t ArchivedDays(const QString& path) {
  try {
    Archive::ArchiveOptions options;
    options.Create = false;
    const Archive::PlantArchive archive(QFile::encodeName(path).toStdString(), options);
    const auto span = archive.DaySpan();
    return span ? archive.DaysWithSamples(span->first, span->second).size() : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

// The CSV files of an export, each with a header and at least one row.
bool ExportComplete(const QDir& folder) {
  for (const char* name :
       {"Viertelstunden.csv", "Tage.csv", "Monate.csv", "Jahre.csv", "Zaehler-Tage.csv", "Zaehler-Jahre.csv"}) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly) || file.readAll().count('\n') < 2) return false;
  }
  return true;
}

// A saved plant file of full size whose meter count is the simulator's: the
// store was filled from the controller.
bool PlantFileHoldsMeters(const QString& path, int meters) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  return bytes.size() == 3220 && MeterCountOf(bytes) == meters;
}

int Failures = 0;

void Say(const QString& text) {
  std::printf("%s\n", qPrintable(text));
  std::fflush(stdout);
}

void Check(bool ok, const QString& what) {
  Say((ok ? QStringLiteral("   ok    ") : QStringLiteral("   FAIL  ")) + what);
  if (!ok) ++Failures;
}

// Waits for a line of the simulator's log, telling the user how long it takes.
bool WaitShowingProgress(const PlantSession& session, const QString& text, const QString& what, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    if (!session.WaitForLog(text, 5000).isEmpty()) return true;
    Say(QStringLiteral("   ... %1 (%2 s)").arg(what).arg(timer.elapsed() / 1000));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: pczn-demo <folder with the program> <output folder>\n");
    return 2;
  }
  const QString binDir = QString::fromLocal8Bit(argv[1]);
  const QDir out(QString::fromLocal8Bit(argv[2]));
  QDir().mkpath(out.path());
  // An interrupted demo (Ctrl+C, SIGTERM, its output closed) ends what it started.
  StartedProcesses::EndAllOnSignals();

  Desktop desktop;
  if (!desktop.Start()) {
    Say(QStringLiteral("cannot start a virtual display: ") + desktop.Error());
    return 1;
  }
  PlantSession session(desktop, binDir);
  const QString archiveFile = out.absoluteFilePath(QStringLiteral("archiv.sqlite"));
  for (const QString& old : {archiveFile, archiveFile + "-wal", archiveFile + "-shm"}) QFile::remove(old);
  Say(QStringLiteral("== starting the simulator as COM 1 and the program on display ") + desktop.Display());
  const auto stillStarting = [](int seconds) {
    Say(QStringLiteral("   ... the program is starting (%1 s; a new machine's first start is slow)").arg(seconds));
  };
  if (!session.StartSimulator({"--meters", "6", "--start", "2026-06-21 13:07"}) ||
      !session.StartProgram({QStringLiteral("--archive"), archiveFile}, stillStarting)) {
    Say(QStringLiteral("== demo FAILED: ") + session.StartFailure());
    return 1;
  }
  desktop.Screenshot(QString(), out.filePath(QStringLiteral("0-start.png")));

  Say(QStringLiteral("== choosing COM 1; a data cycle takes about a minute"));
  session.ClickPortButton(1);
  Check(desktop.FindWindow(QStringLiteral("Tagesdaten"), 5000).has_value(), QStringLiteral("the daily chart opens"));
  Check(WaitShowingProgress(session, QStringLiteral("ConnectAnswer ready"), QStringLiteral("connecting"), 20000),
        QStringLiteral("the controller answers"));
  Check(WaitShowingProgress(session, QStringLiteral("EndOfExchange"), QStringLiteral("waiting for the data exchange"),
                            60000),
        QStringLiteral("a whole data exchange"));
  Say(QStringLiteral("   ... waiting for the refresh of the views"));
  QThread::msleep(19000);

  Say(QStringLiteral("== opening every view"));
  // The pictures' names, in the order of the menu's items.
  const char* files[] = {"1-tagesdaten.png",          "2-monatsdaten.png",        "3-jahresdaten.png",
                         "4-jahresenergiebilanz.png", "5-tagesenergiebilanz.png", "6-ertrag-der-anlage.png",
                         "7-tageswerte.png",          "8-einstellungen.png"};
  for (int item = 0; item < 8; ++item) {
    session.ChooseMenuItem(Menu::Anlagendaten, item);
    const QString title = QString::fromUtf8(ViewTitles[item]);
    const QString file = out.filePath(QString::fromLatin1(files[item]));
    Check(desktop.FindWindow(title, 5000).has_value() && desktop.Screenshot(title, file), title + " -> " + file);
  }
  desktop.Screenshot(QString(), out.filePath(QStringLiteral("9-desktop.png")));

  Say(QStringLiteral("== the archive"));
  const size_t days = ArchivedDays(archiveFile);
  Check(days >= 3, QStringLiteral("archive %1 with %2 days").arg(archiveFile).arg(days));
  session.ChooseMenuItem(Menu::Anlagendaten, 8);
  const QString archiveShot = out.filePath(QStringLiteral("11-archiv.png"));
  Check(desktop.FindWindow(QStringLiteral("Archiv"), 5000).has_value() &&
            desktop.Screenshot(QStringLiteral("Archiv"), archiveShot),
        QStringLiteral("Archiv -> ") + archiveShot);

  Say(QStringLiteral("== saving the plant data"));
  const QString plantFile = out.absoluteFilePath(QStringLiteral("anlage.sol"));
  QFile::remove(plantFile);
  session.ChooseMenuItem(Menu::Datei, 1);
  session.AnswerFileDialog(plantFile);
  Check(PlantFileHoldsMeters(plantFile, 6),
        QStringLiteral("plant file ") + plantFile + QStringLiteral(" with 6 meters"));

  Say(QStringLiteral("== exporting the plant data as CSV"));
  QDir csv(out.absoluteFilePath(QStringLiteral("csv")));
  csv.removeRecursively();
  QDir().mkpath(csv.path());
  session.ChooseMenuItem(Menu::Datei, 3);
  session.AnswerFileDialog(csv.path());
  // A completion list the typing opened takes the first Return; the dialog the second.
  if (desktop.FindWindow(QStringLiteral("Ordner für den CSV-Export"), 500)) desktop.Key(QStringLiteral("Return"));
  QThread::msleep(1500);
  Check(ExportComplete(csv), QStringLiteral("CSV files in ") + csv.path());
  const QString errors = session.ProgramErrors();
  Check(!errors.contains(QStringLiteral("error")),
        QStringLiteral("no error reported by the program") +
            (errors.contains(QStringLiteral("error")) ? ": " + errors : QString()));

  session.QuitProgram();
  session.StopSimulator();
  Say(Failures == 0
          ? QStringLiteral("== demo complete: screenshots, plant file, archive and CSV files in ") + out.absolutePath()
          : QStringLiteral("== demo FAILED in %1 step(s); see ").arg(Failures) + out.absolutePath());
  return Failures == 0 ? 0 : 1;
}
