#pragma once
// The main window: owns the serial port, the polling timer and the menus
// through which the user reaches every other window.
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class PlantAlarms;
class PlantArchiving;
class PollingSession;
class TFileDialog;
class TVaComm;
struct ProgramOptions;
struct TickActions;

class TStart : public QMainWindow {
public:
  explicit TStart(const ProgramOptions& options);
  ~TStart() override;

  // Menu "Datei".
  QMenu* FileMenu;
  QAction *ffnen1, *Speichernunter1, *InsArchivbernehmen1, *ExportierenCSV1, *Beenden1;
  // Menu "Anlagendaten".
  QMenu* Ansicht1;
  QAction *Bild11, *Bild21, *Bild31, *Bild41, *Tagesenergiebilanz1, *Bild51, *Bild61, *Bild71, *Archiv1;
  // Menu "Schnittstelle": items "COM 1" .. "COM 11" (index 1..11).
  QMenu* Optionen1;
  std::array<QAction*, 12> ComItems{};
  // Menu "Hilfe".
  QMenu* Hilfe1;
  QAction* Info1;

  QFrame* Panel1;
  QLabel* Label1;
  std::array<QPushButton*, 12> SpeedButtons{};  // SpeedButton1 .. SpeedButton11
  QLabel* Label2;
  QLineEdit* Edit1;                         // status line of the polling cycle
  QLineEdit* Edit2;                         // the chosen port
  QTimer* Timer2;                           // the polling cycle, 1000 ms
  QTimer* Timer3;                           // hides every other window once, 10 ms after start
  std::unique_ptr<PollingSession> Session;  // the port, the polling cycle and the received bytes
  TVaComm* VaComm1;                         // the session's port
  // Each completed exchange into the plant's archive; the takeover of an opened file.
  std::unique_ptr<PlantArchiving> Archiving;
  // The plant's state and alarms in the system tray, from the session's events and the polling tick.
  std::unique_ptr<PlantAlarms> Alarms;
  TFileDialog* OpenDialog1 = nullptr;  // made on first use
  TFileDialog* SaveDialog1 = nullptr;
  TFileDialog* FolderDialog1 = nullptr;  // the CSV export's folder
  TFileDialog* OpenDialog();
  TFileDialog* SaveDialog();
  // The name the next save proposes: the file last opened or saved. Kept so that
  // opening a file does not make the save dialog before it is needed.
  QString ProposedSaveName;

  // Handlers.
  void Bild11Click();
  void Bild21Click();
  void Bild31Click();
  void Bild41Click();
  void Bild51Click();
  void Tagesenergiebilanz1Click();
  void Bild61Click();
  void Bild71Click();
  void Info1Click();
  void ffnen1Click();
  void Speichernunter1Click();
  void InsArchivbernehmen1Click();
  void ExportierenCSV1Click();
  void Archiv1Click();
  void Beenden1Click();
  void tamsel();
  void tamsel1();
  void Timer2Timer();
  void Timer3Timer();
  // Port buttons and items: the full form (buttons, items COM 5 .. COM 11) and
  // the short form (items COM 1 .. COM 4, which only switch the port).
  void SpeedButtonClick(int port);
  void ComItemClick(int port);

  // The plant file steps behind the menu items, without the dialogs.
  void OpenChosenFile(const QString& chosen);
  void OpenFile(const std::filesystem::path& path);
  void SaveFile(const std::filesystem::path& path);
  // The archive and export steps behind the menu items, without the dialogs.
  void TakeStoreIntoArchive();
  void ExportStore(const QString& folder);

  // Applies what a polling tick asks of the windows.
  void ApplyTick(const TickActions& actions);
  QString ArchiveBehindNote() const;
  // Each COM button and menu item names the device it opens and whether it is there.
  void UpdatePortTooltips();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateMenus();
  void CreateStartPanel();
  void CreateStatusLine();
  void SelectPort(int port, bool bringUpDailyChart);
  void RedrawView(int view, bool hideAllFirst);
  void ShowMenus();
};

extern TStart* Start;
