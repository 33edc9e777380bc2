// The wizard's page routine and handlers.
#include "settings/TForm13.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "link/Commands.h"
#include "settings/Edit.h"
#include "settings/FillSettings.h"
#include "settings/UpDown.h"
#include "settings/input/MonthTable.h"
#include "settings/input/SettingsInput.h"
#include "store/PlantStore.h"

int WizardStep = 0;
TForm13* Form13 = nullptr;

namespace {
constexpr int FactoryPage = 0;
constexpr int MeterCountPage = 1;
constexpr int PlantSizePage = 2;
constexpr int MonthTablePage = 4;
constexpr int SensitivityPage = 5;
constexpr int TariffPage = 6;
constexpr int TransmissionPage = 12;
constexpr int InternetPage = 13;
}  // namespace

void TForm13::ShowPage(int step) {
  for (QFrame* page : pages_) page->hide();
  CloseConfirmation();
  pages_[step]->show();
  if (QLabel* error = inputErrors_[step]) error->hide();
  if (step == TransmissionPage) ResetTransmissionPage();
}

void TForm13::ShowStep() {
  // Any step outside the cycle, not only the one after the last page, starts
  // it again: there is no page to show for it.
  if (WizardStep < 0 || WizardStep >= Pages) WizardStep = 0;
  ShowPage(WizardStep);
  if (WizardStep == FactoryPage || WizardStep == MeterCountPage) FillSettings();
  if (WizardStep == InternetPage) FillInternetPage();
}

void TForm13::SpeedButton1Click() {
  ++WizardStep;
  ShowStep();
}

void TForm13::SpeedButton14Click() {
  WarningLabel->show();
  SpeedButton15->show();
  SpeedButton16->show();
  SpeedButton14->hide();
}

void TForm13::CloseConfirmation() {
  WarningLabel->hide();
  SpeedButton15->hide();
  SpeedButton16->hide();
  SpeedButton14->show();
}

void TForm13::SpeedButton16Click() { CloseConfirmation(); }

void TForm13::SpeedButton15Click() {
  CloseConfirmation();
  MarkFactoryReset();
}

void TForm13::AcceptWholeNumber(int step, const TEdit* edit, int min, int max, int& setting, int slot) {
  QLabel* error = inputErrors_[step];
  error->hide();
  const auto value = ParseWholeNumber(edit->Cp1252Text(), min, max);
  if (!value) {
    error->show();
    return;
  }
  setting = *value;
  MarkCommand(slot);
}

void TForm13::SpeedButton3Click() {
  AcceptWholeNumber(MeterCountPage, Edit1, 1, 48, MeterCountSetting, SlotSetMeterCount);
}

void TForm13::SpeedButton7Click() {
  AcceptWholeNumber(SensitivityPage, Edit4, 10, 40, SensitivitySetting, SlotSetMonitorSensitivity);
}

void TForm13::SpeedButton6Click() { AcceptWholeNumber(TariffPage, Edit3, 1, 99, TariffSetting, SlotSetTariff); }

void TForm13::SpeedButton5Click() {
  QLabel* error = inputErrors_[PlantSizePage];
  error->hide();
  const auto tenths = ParsePlantSize(Edit2->Cp1252Text());
  if (!tenths) {
    error->show();
    return;
  }
  PlantSizeSetting = *tenths;
  MarkCommand(SlotSetPlantSize);
}

void TForm13::UpDown1Click() { Edit5->setText(QString::number(UpDown1->Position())); }
void TForm13::UpDown2Click() { Edit6->setText(QString::number(UpDown2->Position() + 2000)); }

// The confirmed date is kept for the builders: a later fill or arrow click
// moves the up-downs but does not change what goes out.
void TForm13::SpeedButton4Click() {
  CommissioningMonthSetting = UpDown1->Position();
  CommissioningYearSetting = UpDown2->Position();
  MarkCommand(SlotSetCommissioningMonth);
  MarkCommand(SlotSetCommissioningYear);
}

void TForm13::UpDown3Click() { ShowMonthPosition(UpDown3->Position()); }

void TForm13::SpeedButton13Click() {
  QLabel* error = inputErrors_[MonthTablePage];
  error->hide();
  if (!SendMonthTableEntry(UpDown3->Position(), Edit9->Cp1252Text())) error->show();
}

void TForm13::SpeedButton10Click() { MarkCommand(SlotClearDailyValues); }
void TForm13::SpeedButton2Click() { MarkCommand(SlotClearYearEnergy); }
void TForm13::SpeedButton11Click() { MarkCommand(SlotClearRestartCount); }
void TForm13::SpeedButton12Click() { MarkCommand(SlotStartLearningPhase); }

void TForm13::SpeedButton8Click() { Edit7->setText("............"); }
void TForm13::SpeedButton9Click() { StoreSmsNumber(Edit7->Cp1252Text()); }

void TForm13::ResetTransmissionPage() {
  SpeedButton18->show();
  SpeedButton19->hide();
  SpeedButton20->hide();
  SpeedButton21->hide();
  SpeedButton22->hide();
  DialPrefixLabel->hide();
}

void TForm13::SpeedButton18Click() {
  ConnectionModeSetting = 0;
  MarkCommand(SlotSetConnectionMode);
}

void TForm13::SpeedButton17Click() {
  SpeedButton18->hide();
  SpeedButton21->show();
  SpeedButton22->show();
}

void TForm13::ShowDialPrefixQuestion() {
  SpeedButton18->hide();
  SpeedButton21->hide();
  SpeedButton22->hide();
  SpeedButton19->show();
  SpeedButton20->show();
  DialPrefixLabel->show();
}

void TForm13::SpeedButton21Click() {
  ShowDialPrefixQuestion();
  ModemTypeSetting = 1;
  MarkCommand(SlotSetModemType);
}

void TForm13::SpeedButton22Click() {
  ShowDialPrefixQuestion();
  ModemTypeSetting = 0;
  MarkCommand(SlotSetModemType);
}

void TForm13::AnswerDialPrefix(bool withPrefix) {
  SpeedButton18->show();
  SpeedButton19->hide();
  SpeedButton20->hide();
  DialPrefixLabel->hide();
  PendingCommands[SlotDialPrefixValue] = withPrefix ? 1 : 0;
  MarkCommand(SlotSetDialPrefix);
  ConnectionModeSetting = 1;
  MarkCommand(SlotSetConnectionMode);
}

void TForm13::SpeedButton19Click() { AnswerDialPrefix(true); }
void TForm13::SpeedButton20Click() { AnswerDialPrefix(false); }

void TForm13::FillInternetPage() {
  Edit10->SetCp1252Text(FormatInternetId());
  Edit13->SetCp1252Text(FormatText("V %d.0", Block3[Word::Block3::NetVersion]));
  Edit12->setText(Block2[Word::Block2::TransferMode] == 0 ? "Internet" : "Modem");
  Edit11->SetCp1252Text(FormatText("%02d:%02d  %02d.%02d", Block3[Word::Block3::LastTransferHour],
                                   Block3[Word::Block3::LastTransferMinute], Block3[Word::Block3::LastTransferDay],
                                   Block3[Word::Block3::LastTransferMonth]));
}
