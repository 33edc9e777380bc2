#include "settings/TForm7.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "link/Commands.h"
#include "link/Polling.h"
#include "settings/Edit.h"
#include "settings/UpDown.h"
#include "settings/input/MonthTable.h"
#include "settings/input/SettingsInput.h"
#include "store/PlantStore.h"
#include "views/Bind.h"

TForm7* Form7 = nullptr;

namespace {

constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 640;

// A captioned group whose rows are: label, field, arrows, button.
QGridLayout* AddGroup(QVBoxLayout* column, const char* caption) {
  auto* box = new QGroupBox(QString::fromUtf8(caption));
  auto* grid = new QGridLayout(box);
  column->addWidget(box);
  return grid;
}

TEdit* AddField(QGridLayout* grid, int row, const char* label, int maxLength = 0) {
  if (label != nullptr) grid->addWidget(new QLabel(QString::fromUtf8(label)), row, 0);
  auto* edit = new TEdit(nullptr, maxLength);
  if (maxLength == 0) edit->MakeDisplay();
  grid->addWidget(edit, row, 1);
  return edit;
}

TUpDown* AddArrows(QGridLayout* grid, int row, TEdit* edit, int min, int max, int increment = 1) {
  auto* arrows = new TUpDown(nullptr, min, max, min, increment);
  arrows->SetAssociate(edit, false);
  grid->addWidget(arrows, row, 2);
  return arrows;
}

QPushButton* AddButton(QGridLayout* grid, int row, int column, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text));
  button->setFocusPolicy(Qt::NoFocus);
  grid->addWidget(button, row, column);
  return button;
}

void SetNumber(TEdit* edit, int value) { edit->setText(QString::number(value)); }

}  // namespace

TForm7::TForm7(QWidget* owner) : TForm(owner, ClientWidth, ClientHeight, FormBorder::Single, "Einstellungen") {
  auto* form = new QHBoxLayout(this);
  form->addLayout(BuildLinkColumn());
  form->addLayout(BuildValueColumn());
  form->addLayout(BuildClockColumn());
  form->addLayout(BuildTextColumn());
  ConnectHandlers();
}

QVBoxLayout* TForm7::BuildLinkColumn() {
  auto* column = new QVBoxLayout;
  QGridLayout* g = AddGroup(column, "PC-TERVA Verbindung");
  Edit4 = AddField(g, 0, nullptr);
  Edit3 = AddField(g, 1, "Schnittstelle");
  g = AddGroup(column, "Überprüfung der PV-Anlage");
  Edit6 = AddField(g, 0, nullptr);

  g = AddGroup(column, "CAN Verbindung zu Adresse");
  QCheckBox** boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5,
                         &CheckBox6, &CheckBox7, &CheckBox8, &CheckBox9, &CheckBox11};
  const char* captions[] = {"Adr.1", "Adr.2", "Adr.3", "Adr.4", "Adr.5", "Adr.6", "Adr.7", "Adr.8", "ER2", "ER3"};
  for (int i = 0; i < 10; ++i) {
    *boxes[i] = new QCheckBox(captions[i]);
    (*boxes[i])->setEnabled(false);  // state of the controller, not a choice
    g->addWidget(*boxes[i], i / 2, i % 2);
  }

  g = AddGroup(column, "Handynummern für SMS");
  Edit13 = AddField(g, 0, "Anlage:");
  Edit13->setReadOnly(true);
  Edit13->setEnabled(false);
  Edit5 = AddField(g, 1, "Handy 1", 12);
  SpeedButton11 = AddButton(g, 1, 3, "Senden");

  CheckBox10 = new QCheckBox(QString::fromUtf8("0 Vorwahl für Modem "));
  CheckBox10->setEnabled(false);
  column->addWidget(CheckBox10);
  column->addStretch();
  return column;
}

QVBoxLayout* TForm7::BuildValueColumn() {
  auto* column = new QVBoxLayout;
  QGridLayout* g = AddGroup(column, "Anzahl der Zähler");
  Edit2 = AddField(g, 0, nullptr);
  UpDown1 = AddArrows(g, 0, Edit2, 1, 32);
  SpeedButton1 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Anlagengröße [kWp]");
  Edit11 = AddField(g, 0, nullptr);
  UpDown6 = AddArrows(g, 0, Edit11, 10, 20000);
  SpeedButton2 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Impulse pro kWh");
  Edit16 = AddField(g, 0, nullptr);
  UpDown8 = AddArrows(g, 0, Edit16, 10, 30000);
  SpeedButton3 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Vergütung [Cent]");
  Edit1 = AddField(g, 0, nullptr);
  UpDown2 = AddArrows(g, 0, Edit1, 1, 200);
  SpeedButton4 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Anzeigezyklus [sec]");
  Edit15 = AddField(g, 0, nullptr);
  UpDown7 = AddArrows(g, 0, Edit15, 4, 20);
  g = AddGroup(column, "Kalibrierwert [mV]");
  Edit19 = AddField(g, 0, nullptr);
  UpDown5 = AddArrows(g, 0, Edit19, 50, 1200);
  SpeedButton5 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Empfind.Überwachung");
  Edit20 = AddField(g, 0, nullptr);
  UpDown9 = AddArrows(g, 0, Edit20, 10, 40, 5);
  SpeedButton6 = AddButton(g, 0, 3, "Senden");
  g = AddGroup(column, "Restarts der Anlage");
  Edit17 = AddField(g, 0, nullptr);
  SpeedButton7 = AddButton(g, 0, 3, "löschen");
  column->addStretch();
  return column;
}

QVBoxLayout* TForm7::BuildClockColumn() {
  auto* column = new QVBoxLayout;
  QGridLayout* g = AddGroup(column, "Uhrzeit /Datum stellen");
  Edit26 = AddField(g, 0, "Stunden");
  UpDown17 = AddArrows(g, 0, Edit26, 0, 23);
  Edit27 = AddField(g, 1, "Minuten");
  UpDown18 = AddArrows(g, 1, Edit27, 0, 59);
  Edit28 = AddField(g, 2, "Tag");
  UpDown19 = AddArrows(g, 2, Edit28, 1, 31);
  Edit29 = AddField(g, 3, "Monat");
  UpDown20 = AddArrows(g, 3, Edit29, 1, 12);
  Edit30 = AddField(g, 4, "Jahr");
  UpDown21 = AddArrows(g, 4, Edit30, 3, 20);
  SpeedButton8 = AddButton(g, 5, 1, "stellen");

  g = AddGroup(column, "Inbetriebnahme");
  Edit9 = AddField(g, 0, "Monat");
  UpDown15 = AddArrows(g, 0, Edit9, 1, 12);
  Edit10 = AddField(g, 1, "Jahr");
  UpDown16 = AddArrows(g, 1, Edit10, 2, 20);

  g = AddGroup(column, "Monatstabelle [kWh]");
  Edit7 = AddField(g, 0, "Monat");
  UpDown23 = AddArrows(g, 0, Edit7, 0, MonthPositions - 1);
  Edit8 = AddField(g, 1, "kWh", 5);
  SpeedButton9 = AddButton(g, 1, 3, "OK");

  g = AddGroup(column, "Auswahl der Großanzeige");
  ComboBox1 = new QComboBox;
  ComboBox1->addItems({"   nicht vorhanden!", "RiCo ", "Brandmaier ", "HvG"});
  g->addWidget(ComboBox1, 0, 0, 1, 3);
  g->addWidget(new QLabel("Schaltzeiten[Std]"), 1, 0, 1, 3);
  Edit14 = AddField(g, 2, "EIN");
  UpDown3 = AddArrows(g, 2, Edit14, 0, 23);
  Edit18 = AddField(g, 3, "AUS");
  UpDown4 = AddArrows(g, 3, Edit18, 0, 23);
  SpeedButton10 = AddButton(g, 3, 3, "Senden");
  column->addStretch();
  return column;
}

QVBoxLayout* TForm7::BuildTextColumn() {
  auto* column = new QVBoxLayout;
  QGridLayout* g = AddGroup(column, "Startbild auf Ruzidivadazi");
  Edit22 = AddField(g, 0, nullptr, 20);
  Edit23 = AddField(g, 1, nullptr, 20);
  Edit24 = AddField(g, 2, nullptr, 20);
  Edit25 = AddField(g, 3, nullptr, 20);
  SpeedButton12 = AddButton(g, 4, 1, "Senden");

  g = AddGroup(column, "Ausgangstest");
  SpeedButton13 = AddButton(g, 0, 0, "EIN");
  SpeedButton14 = AddButton(g, 0, 1, "AUS");

  g = AddGroup(column, "Jahreswerte");
  SpeedButton15 = AddButton(g, 0, 0, "Jahres kWh löschen");
  Panel1 = new QFrame;
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* confirm = new QGridLayout(Panel1);
  auto* question = new QLabel(QString::fromUtf8("Alle Jahreswerte werden gelöscht!"));
  question->setStyleSheet("color: red");
  confirm->addWidget(question, 0, 0, 1, 2);
  SpeedButton16 = AddButton(confirm, 1, 0, "Ja");
  SpeedButton17 = AddButton(confirm, 1, 1, "Nein");
  g->addWidget(Panel1, 1, 0);
  Panel1->hide();
  column->addStretch();
  return column;
}

void TForm7::ConnectHandlers() {
  UpDown6->OnClick = [this](TUpDown::Button) { UpDown6Click(); };
  UpDown8->OnClick = [this](TUpDown::Button) { UpDown8Click(); };
  UpDown5->OnClick = [this](TUpDown::Button) { UpDown5Click(); };
  UpDown16->OnClick = [this](TUpDown::Button) { UpDown16Click(); };
  UpDown21->OnClick = [this](TUpDown::Button) { UpDown21Click(); };
  UpDown23->OnClick = [this](TUpDown::Button) { UpDown23Click(); };
  const std::pair<QPushButton*, void (TForm7::*)()> buttons[] = {
      {SpeedButton1, &TForm7::SpeedButton1Click},   {SpeedButton2, &TForm7::SpeedButton2Click},
      {SpeedButton3, &TForm7::SpeedButton3Click},   {SpeedButton4, &TForm7::SpeedButton4Click},
      {SpeedButton5, &TForm7::SpeedButton5Click},   {SpeedButton6, &TForm7::SpeedButton6Click},
      {SpeedButton7, &TForm7::SpeedButton7Click},   {SpeedButton8, &TForm7::SpeedButton8Click},
      {SpeedButton9, &TForm7::SpeedButton9Click},   {SpeedButton10, &TForm7::SpeedButton10Click},
      {SpeedButton11, &TForm7::SpeedButton11Click}, {SpeedButton12, &TForm7::SpeedButton12Click},
      {SpeedButton13, &TForm7::SpeedButton13Click}, {SpeedButton14, &TForm7::SpeedButton14Click},
      {SpeedButton15, &TForm7::SpeedButton15Click}, {SpeedButton16, &TForm7::SpeedButton16Click},
      {SpeedButton17, &TForm7::SpeedButton17Click}};
  // A command written at once (the month table) may fail on the port; the
  // error goes to the display.
  BindClicks(this, buttons);
}

void TForm7::ShowLinkState(const TickActions& actions) {
  if (actions.Refresh) {
    QCheckBox* boxes[] = {nullptr,   CheckBox1, CheckBox2, CheckBox3, CheckBox4,  CheckBox5,
                          CheckBox6, CheckBox7, CheckBox8, CheckBox9, CheckBox10, CheckBox11};
    for (int n = 1; n <= 11; ++n) boxes[n]->setChecked(actions.CheckBoxes[n]);
  }
  if (actions.LinkText) Edit4->SetCp1252Text(*actions.LinkText);
  if (actions.MonitorText) Edit6->SetCp1252Text(*actions.MonitorText);
}

void TForm7::SetPortName(const std::string& name) {
  portName_ = name;
  Edit3->SetCp1252Text(name);
}

int TForm7::PulsesPerKwhPosition() const { return UpDown8->Position(); }
int TForm7::DisplayOnHour() const { return UpDown3->Position(); }
int TForm7::DisplayOffHour() const { return UpDown4->Position(); }
int TForm7::LargeDisplayType() const { return std::max(ComboBox1->currentIndex(), 0); }
int TForm7::CalibrationPosition() const { return UpDown5->Position(); }

void TForm7::RestartCountCleared() { Edit17->setText("0"); }
void TForm7::YearEnergyCleared() { Panel1->hide(); }

void TForm7::UpDown6Click() { Edit11->setText(QString::fromStdString(TenthsText(UpDown6->Position()))); }
void TForm7::UpDown8Click() { SetNumber(Edit16, UpDown8->Position() * 10); }
void TForm7::UpDown5Click() { Edit19->setText(QString::fromStdString(TenthsText(UpDown5->Position()))); }
void TForm7::UpDown16Click() { SetNumber(Edit10, UpDown16->Position() + 2000); }
void TForm7::UpDown21Click() { SetNumber(Edit30, UpDown21->Position() + 2000); }

void TForm7::UpDown23Click() {
  const int p = UpDown23->Position();
  Edit7->SetCp1252Text(MonthText(p));
  const auto index = MonthTableIndex(p);
  if (index) SetNumber(Edit8, MonthRun(*index));
  else Edit8->clear();
}

void TForm7::SpeedButton1Click() {
  MeterCountSetting = UpDown1->Position();
  MarkCommand(SlotSetMeterCount);
}

void TForm7::SpeedButton2Click() {
  PlantSizeSetting = UpDown6->Position();
  MarkCommand(SlotSetPlantSize);
}

void TForm7::SpeedButton3Click() { MarkCommand(SlotSetPulsesPerKwh); }

void TForm7::SpeedButton4Click() {
  TariffSetting = UpDown2->Position();
  MarkCommand(SlotSetTariff);
}

void TForm7::SpeedButton5Click() { MarkCommand(SlotSetCalibration); }

void TForm7::SpeedButton6Click() {
  SensitivitySetting = UpDown9->Position();
  MarkCommand(SlotSetMonitorSensitivity);
}

void TForm7::SpeedButton7Click() { MarkCommand(SlotClearRestartCount); }
void TForm7::SpeedButton8Click() { MarkCommand(SlotSetDateTime); }

void TForm7::SpeedButton9Click() { SendMonthTableEntry(UpDown23->Position(), Edit8->Cp1252Text()); }

void TForm7::SpeedButton10Click() {
  MarkCommand(SlotSetDisplayOnHour);
  MarkCommand(SlotSetDisplayOffHour);
  MarkCommand(SlotSetLargeDisplayType);
}

void TForm7::SpeedButton11Click() { StoreSmsNumber(Edit5->Cp1252Text()); }

void TForm7::SpeedButton12Click() {
  const TEdit* lines[] = {Edit22, Edit23, Edit24, Edit25};
  for (int line = 0; line < 4; ++line) {
    FilterText(line, lines[line]->Cp1252Text().c_str());
    MarkCommand(SlotSetStartScreenLine1 + line);
  }
}

// The output test goes out at once and only then: marking its slot as well
// would send the same switching a second time at the next command tick.
void TForm7::SpeedButton13Click() { BuildCommand(SlotOutputTestOn); }
void TForm7::SpeedButton14Click() { BuildCommand(SlotOutputTestOff); }

void TForm7::SpeedButton15Click() { Panel1->show(); }
// The panel stays until the command has gone out (YearEnergyCleared).
void TForm7::SpeedButton16Click() { MarkCommand(SlotClearYearEnergy); }
void TForm7::SpeedButton17Click() { Panel1->hide(); }
