#include "shell/TStart.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "archive/StoreRecord.h"
#include "base/ExchangePhases.h"
#include "link/Polling.h"
#include "protocol/Cp1252.h"
#include "qtloop/QtMainThreadWake.h"
#include "serial/VaComm.h"
#include "session/PollingSession.h"
#include "session/PortReport.h"
#include "settings/FillSettings.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "shell/ExceptionDisplay.h"
#include "shell/Navigation.h"
#include "shell/PlantAlarms.h"
#include "shell/PlantArchiving.h"
#include "shell/StatusLine.h"
#include "shell/TForm11.h"
#include "store/PlantFile.h"
#include "store/PlantStore.h"
#include "views/Bind.h"
#include "views/FilePaths.h"
#include "views/InformationBox.h"
#include "views/InterfaceFont.h"
#include "views/TFileDialog.h"
#include "views/archive/CsvExportRun.h"
#include "views/archive/TForm14.h"
#include "views/history/ChartForms.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"
#include "views/history/YieldChart.h"
#include "views/live/DailyValues.h"
#include "views/live/DayBalanceList.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"
#include "views/live/YearBalance.h"

TStart* Start = nullptr;

namespace {

constexpr int ClientWidth = 792;
constexpr int ClientHeight = 574;
constexpr int PortCount = 11;
// What ShowRequest says while the archive view is open: no view for the
// polling refresh to bring up over it.
constexpr int ArchiveViewRequest = 9;

QString FromCp1252(const std::string& text) { return QString::fromStdString(Utf8FromCp1252(text)); }

QString PortName(int port) { return QStringLiteral("COM %1").arg(port); }

}  // namespace

TStart::TStart(const ProgramOptions& options) {
  Start = this;
  setWindowTitle(QStringLiteral("PCZentrixNet "));
  setFont(QFont(FontFamily(QStringLiteral("MS Sans Serif"))));
  auto* client = new QWidget(this);
  client->setFixedSize(ClientWidth, ClientHeight);
  client->setAutoFillBackground(true);
  QPalette palette = client->palette();
  palette.setColor(QPalette::Window, Qt::white);
  client->setPalette(palette);
  setCentralWidget(client);

  CreateMenus();
  CreateStartPanel();
  CreateStatusLine();

  Timer2 = new QTimer(this);
  Timer2->setInterval(1000);
  Bind(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
  Timer3 = new QTimer(this);
  Timer3->setInterval(10);
  Bind(Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
  Timer3->start();

  InstallQtMainThreadWake();
  Session = std::make_unique<PollingSession>();
  VaComm1 = &Session->Port();
  // A trace that cannot be written is told, and the program runs without it.
  if (!options.TraceFile.empty()) Guarded([&] { Session->TraceTo(options.TraceFile.string()); });
  Archiving = std::make_unique<PlantArchiving>(options);
  Session->On.ExchangeCompleted = [this] { Guarded([this] { Archiving->ExchangeCompleted(); }); };
  Alarms = std::make_unique<PlantAlarms>(*Session, *Timer2);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TStart::~TStart() {
  Session.reset();  // first: its events reach the archiving and the alarms
  if (Start == this) Start = nullptr;
}

void TStart::CreateMenus() {
  QMenuBar* bar = menuBar();
  FileMenu = bar->addMenu(QStringLiteral("Datei"));
  ffnen1 = FileMenu->addAction(QStringLiteral("Öffnen"));
  Speichernunter1 = FileMenu->addAction(QStringLiteral("Speichern unter.."));
  InsArchivbernehmen1 = FileMenu->addAction(QStringLiteral("Ins Archiv übernehmen"));
  ExportierenCSV1 = FileMenu->addAction(QStringLiteral("Exportieren (CSV)…"));
  FileMenu->addSeparator();
  Beenden1 = FileMenu->addAction(QStringLiteral("Beenden"));
  Bind(ffnen1, &QAction::triggered, this, [this] { ffnen1Click(); });
  Bind(Speichernunter1, &QAction::triggered, this, [this] { Speichernunter1Click(); });
  Bind(InsArchivbernehmen1, &QAction::triggered, this, [this] { InsArchivbernehmen1Click(); });
  Bind(ExportierenCSV1, &QAction::triggered, this, [this] { ExportierenCSV1Click(); });
  Bind(Beenden1, &QAction::triggered, this, [this] { Beenden1Click(); });

  Ansicht1 = bar->addMenu(QStringLiteral("Anlagendaten"));
  Bild11 = Ansicht1->addAction(QStringLiteral("&Tagesdaten"));
  Bild21 = Ansicht1->addAction(QStringLiteral("Monatsdaten"));
  Bild31 = Ansicht1->addAction(QStringLiteral("Jahresdaten"));
  Bild41 = Ansicht1->addAction(QStringLiteral("Jahresenergiebilanz"));
  Tagesenergiebilanz1 = Ansicht1->addAction(QStringLiteral("Tagesenergiebilanz"));
  Bild51 = Ansicht1->addAction(QStringLiteral("Ertrag der Anlage"));
  Bild61 = Ansicht1->addAction(QStringLiteral("Tageswerte"));
  Bild71 = Ansicht1->addAction(QStringLiteral("Einstellungen"));
  Archiv1 = Ansicht1->addAction(QStringLiteral("Archiv…"));
  Bind(Bild11, &QAction::triggered, this, [this] { Bild11Click(); });
  Bind(Bild21, &QAction::triggered, this, [this] { Bild21Click(); });
  Bind(Bild31, &QAction::triggered, this, [this] { Bild31Click(); });
  Bind(Bild41, &QAction::triggered, this, [this] { Bild41Click(); });
  Bind(Tagesenergiebilanz1, &QAction::triggered, this, [this] { Tagesenergiebilanz1Click(); });
  Bind(Bild51, &QAction::triggered, this, [this] { Bild51Click(); });
  Bind(Bild61, &QAction::triggered, this, [this] { Bild61Click(); });
  Bind(Bild71, &QAction::triggered, this, [this] { Bild71Click(); });
  Bind(Archiv1, &QAction::triggered, this, [this] { Archiv1Click(); });

  Optionen1 = bar->addMenu(QStringLiteral("Schnittstelle"));
  for (int port = 1; port <= PortCount; ++port) {
    ComItems[port] = Optionen1->addAction(PortName(port));
    Bind(ComItems[port], &QAction::triggered, this, [this, port] { ComItemClick(port); });
  }

  Hilfe1 = bar->addMenu(QStringLiteral("Hilfe"));
  Info1 = Hilfe1->addAction(QStringLiteral("&Info"));
  Bind(Info1, &QAction::triggered, this, [this] { Info1Click(); });

  Optionen1->setToolTipsVisible(true);
  Bind(Optionen1, &QMenu::aboutToShow, this, [this] { UpdatePortTooltips(); });

  for (QMenu* menu : {FileMenu, Ansicht1, Optionen1, Hilfe1}) menu->menuAction()->setVisible(false);
}

void TStart::CreateStartPanel() {
  Panel1 = new QFrame(centralWidget());
  Panel1->setGeometry(24, 208, 745, 121);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  Label1 = new QLabel(QStringLiteral("Schnittstellenauswahl"), Panel1);
  QFont heading = font();
  heading.setPixelSize(20);
  heading.setBold(true);
  Label1->setFont(heading);
  Label1->setGeometry(0, 16, 745, 30);
  Label1->setAlignment(Qt::AlignCenter);
  for (int port = 1; port <= PortCount; ++port) {
    auto* button = new QPushButton(PortName(port), Panel1);
    button->setGeometry(24 + 64 * (port - 1), 64, 57, 22);
    button->setFlat(false);
    button->setFocusPolicy(Qt::NoFocus);
    Bind(button, &QPushButton::clicked, this, [this, port] { SpeedButtonClick(port); });
    button->installEventFilter(this);  // the tooltip is made fresh when it is about to show
    SpeedButtons[port] = button;
  }
  UpdatePortTooltips();
}

void TStart::UpdatePortTooltips() {
  for (int port = 1; port <= PortCount; ++port) {
    const QString line = QString::fromStdString(ComPortLine(PortDiscovery::ResolveComPort(port)));
    if (SpeedButtons[port] != nullptr) SpeedButtons[port]->setToolTip(line);
    if (ComItems[port] != nullptr) ComItems[port]->setToolTip(line);
  }
}

bool TStart::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) Guarded([this] { UpdatePortTooltips(); });
  return QMainWindow::eventFilter(watched, event);
}

void TStart::CreateStatusLine() {
  Label2 = new QLabel(QStringLiteral("Verbindungsstatus:"), centralWidget());
  Label2->setGeometry(128, 534, 125, 16);
  Edit1 = new StatusLine(centralWidget());
  Edit1->setGeometry(256, 530, 425, 24);
  Edit1->setReadOnly(true);
  Edit1->setFocusPolicy(Qt::NoFocus);
  QPalette blue = Edit1->palette();
  blue.setColor(QPalette::Text, Qt::blue);
  Edit1->setPalette(blue);
  Edit2 = new QLineEdit(centralWidget());
  Edit2->setGeometry(688, 0, 57, 21);
  Edit2->setReadOnly(true);
  Edit2->setFocusPolicy(Qt::NoFocus);
}

// --- views -------------------------------------------------------------------

void TStart::Bild11Click() {
  HideAllViewsBut(Form1);
  CentreOver(Form1);
  ShowForm(Form1);
  ShowRequest = 1;
  DrawDailyChart();
}

void TStart::Bild21Click() {
  CentreOver(Form12);
  ShowForm(Form12);
  ShowRequest = 2;
  DrawMonthlyChart();
}

void TStart::Bild31Click() {
  HideAllViewsBut(Form3);
  CentreOver(Form3);
  ShowForm(Form3);
  ShowRequest = 3;
  DrawYearlyChart();
}

void TStart::Bild41Click() {
  CentreOver(Form4);
  ShowForm(Form4);
  ShowRequest = 4;
  DrawYearBalance();
}

void TStart::Bild51Click() {
  CentreOver(Form5);
  ShowForm(Form5);
  ShowRequest = 5;
  DrawYieldChart();
}

void TStart::Tagesenergiebilanz1Click() {
  CentreOver(Form9);
  ShowForm(Form9);
  ShowRequest = 6;
  FillDayBalanceList();
}

void TStart::Bild61Click() {
  CentreOver(Form6, 20);
  ShowForm(Form6);
  ShowRequest = 7;
  DrawDailyValues();
}

void TStart::Bild71Click() {
  WizardStep = 0;
  CentreOver(Form13, 25);
  ShowForm(Form13);
  ShowRequest = 8;
  Form13->ShowStep();
  FillSettings();
}

void TStart::Archiv1Click() {
  HideAllViewsBut(Form14);
  CentreOver(Form14);
  ShowForm(Form14);
  ShowRequest = ArchiveViewRequest;
  Form14->ShowArchive(Archiving->ViewedArchive(), Archiving->Options().CsvStyle);
}

void TStart::Info1Click() {
  CentreOver(Form11);
  ShowForm(Form11);
}

void TStart::tamsel() { HideAllViews(); }
void TStart::tamsel1() { HideAllViews(); }

void TStart::mousePressEvent(QMouseEvent* event) {
  Guarded([this] { tamsel(); });
  QMainWindow::mousePressEvent(event);
}

void TStart::Timer3Timer() {
  HideAllViews();
  Timer3->stop();
}

// --- plant file ----------------------------------------------------------------

// The dialogs are made when first needed: a file dialog starts threads of
// its own that an unused dialog should not cost.
TFileDialog* TStart::OpenDialog() {
  if (OpenDialog1 == nullptr) OpenDialog1 = new TFileDialog(this, QFileDialog::AcceptOpen);
  return OpenDialog1;
}

TFileDialog* TStart::SaveDialog() {
  if (SaveDialog1 == nullptr) SaveDialog1 = new TFileDialog(this, QFileDialog::AcceptSave);
  return SaveDialog1;
}

void TStart::ffnen1Click() {
  TFileDialog* dialog = OpenDialog();
  const QString chosen = dialog->Choose();
  if (chosen.isEmpty()) return;
  dialog->selectFile(QString());
  OpenChosenFile(chosen);
}

void TStart::OpenChosenFile(const QString& chosen) {
  OpenFile(PathFromText(chosen));
  ProposedSaveName = chosen;
}

void TStart::Speichernunter1Click() {
  TFileDialog* dialog = SaveDialog();
  if (!ProposedSaveName.isEmpty()) dialog->selectFile(ProposedSaveName);
  const QString chosen = dialog->Choose();
  if (chosen.isEmpty()) return;
  SaveFile(PathFromText(chosen));
  ProposedSaveName = chosen;
}

void TStart::OpenFile(const std::filesystem::path& path) {
  const size_t taken = OpenPlantFile(path);
  Archiving->PlantFileOpened(path, taken);
}

void TStart::SaveFile(const std::filesystem::path& path) { SavePlantFile(path); }

// --- archive and export ----------------------------------------------------------------

void TStart::InsArchivbernehmen1Click() { TakeStoreIntoArchive(); }

void TStart::TakeStoreIntoArchive() {
  const Archive::TakeoverResult result = Archiving->TakeOverStore();
  const QString file = PathText(result.File);
  ShowInformation(this, result.RowsChanged > 0
                            ? QStringLiteral("Die Anlagendaten wurden ins Archiv %1 übernommen.").arg(file)
                            : QStringLiteral("Das Archiv %1 enthielt diese Anlagendaten schon.").arg(file));
}

void TStart::ExportierenCSV1Click() {
  if (FolderDialog1 == nullptr)
    FolderDialog1 = new TFileDialog(this, QFileDialog::AcceptOpen, TFileDialog::Chooses::Folder);
  const QString folder = FolderDialog1->Choose();
  if (!folder.isEmpty() && MayReplaceCsvFiles(this, folder)) ExportStore(folder);
}

// The data of every view: the quarter hours of the days the store holds, the
// days of the year, the months, the years and the meters.
void TStart::ExportStore(const QString& folder) {
  const auto record = Archive::RecordFromStore(Archiving->Options().PlantName);
  if (!record) throw Exception("Es sind keine Anlagendaten mit gültigem Datum der Steuerung zum Exportieren da.");
  const std::filesystem::path target = PathFromText(folder);
  const Archive::CsvStyle style = Archiving->Options().CsvStyle;
  RunCsvExport(this, folder, [&](const Archive::CsvProgress& progress) {
    return Archive::ExportCsv(record->History, target, style, progress);
  });
}

// --- ending ---------------------------------------------------------------------

void TStart::Beenden1Click() {
  VaComm1->Close();
  close();
}

void TStart::closeEvent(QCloseEvent* event) {
  Guarded([this] { VaComm1->Close(); });
  event->accept();
  QCoreApplication::quit();
}

// --- port selection ----------------------------------------------------------------

void TStart::SpeedButtonClick(int port) { SelectPort(port, true); }

void TStart::ComItemClick(int port) { SelectPort(port, port >= 5); }

void TStart::SelectPort(int port, bool bringUpDailyChart) {
  Session->Close();
  Edit2->setText(PortName(port));
  if (Form7 != nullptr) Form7->SetPortName(PortName(port).toStdString());
  Session->Open(PortChoice::Com(port));  // a port that cannot be opened raises here: nothing below runs
  if (!bringUpDailyChart) return;
  Timer2->start();
  Panel1->hide();
  CentreOver(Form1);
  ShowForm(Form1);
  ShowRequest = 1;
  // The menus appear even when the chart cannot be drawn (a missing picture),
  // so the program stays usable; the error still reaches the display.
  try {
    DrawDailyChart();
  } catch (...) {
    ShowMenus();
    throw;
  }
  ShowMenus();
}

void TStart::ShowMenus() {
  for (QMenu* menu : {Optionen1, Hilfe1, Ansicht1, FileMenu}) menu->menuAction()->setVisible(true);
}

// --- polling -------------------------------------------------------------------------

void TStart::Timer2Timer() { ApplyTick(Session->Tick()); }

void TStart::ApplyTick(const TickActions& actions) {
  const PhaseScope phase(ExchangePhase::Redraw);
  if (actions.StatusText) Edit1->setText(FromCp1252(*actions.StatusText) + ArchiveBehindNote());
  if (!actions.Refresh) return;
  if (Form7 != nullptr) Form7->ShowLinkState(actions);
  if (actions.RedrawView != 0) RedrawView(actions.RedrawView, actions.HideAllFirst);
}

// While the archive cannot be written, the status line says so after the cycle's text.
QString TStart::ArchiveBehindNote() const {
  const std::string behind = Archiving->Writer().BehindText();
  return behind.empty() ? QString() : QStringLiteral("  –  ") + QString::fromStdString(behind);
}

void TStart::RedrawView(int view, bool hideAllFirst) {
  QWidget* const forms[] = {nullptr, Form1, Form12, Form3, Form4, Form5};
  if (hideAllFirst) HideAllViewsBut(forms[view]);
  void (*const draws[])() = {nullptr,         DrawDailyChart,  DrawMonthlyChart,
                             DrawYearlyChart, DrawYearBalance, DrawYieldChart};
  CentreOver(forms[view]);
  ShowForm(forms[view]);
  draws[view]();
}
