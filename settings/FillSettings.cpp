#include "settings/FillSettings.h"

#include <QComboBox>
#include <QFrame>

#include "settings/Edit.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "settings/UpDown.h"
#include "settings/input/MonthTable.h"
#include "settings/input/SettingsInput.h"
#include "store/PlantStore.h"

namespace {

constexpr int LargeDisplayTypes = 4;
constexpr int SmsNumberWords = 6;

void SetNumber(TEdit* edit, int value) { edit->setText(QString::number(value)); }

void SetNumberAndPosition(TEdit* edit, TUpDown* arrows, int value) {
  SetNumber(edit, value);
  arrows->SetPosition(value);
}

// The SMS number the controller keeps in Block17, two characters a word (high
// byte first); a zero byte ends it.
std::string StoredSmsNumber() {
  std::string text;
  for (int i = 0; i < SmsNumberWords; ++i) {
    for (const int shift : {8, 0}) {
      const char c = static_cast<char>(Block17[Word::Block17::SmsNumberText + i] >> shift);
      if (c == '\0') return text;
      text += c;
    }
  }
  return text;
}

void FillSettingsForm(TForm7& f) {
  f.Panel1->hide();
  f.Edit13->SetCp1252Text(FormatControllerVersion());
  SetNumberAndPosition(f.Edit15, f.UpDown7, Block3[Word::Block3::DisplayCycle]);
  SetNumber(f.Edit16, Block3[Word::Block3::PulsesPerKwh]);
  f.UpDown8->SetPosition(Block3[Word::Block3::PulsesPerKwh] / 10);
  f.UpDown2->SetPosition(Block3[Word::Block3::Tariff]);
  SetNumber(f.Edit17, Block3[Word::Block3::RestartCount]);
  SetNumberAndPosition(f.Edit26, f.UpDown17, Block2[Word::Block2::Hour]);
  SetNumberAndPosition(f.Edit27, f.UpDown18, Block2[Word::Block2::Minute]);
  SetNumberAndPosition(f.Edit28, f.UpDown19, Block2[Word::Block2::Day]);
  SetNumberAndPosition(f.Edit29, f.UpDown20, Block2[Word::Block2::Month]);
  SetNumber(f.Edit30, Block2[Word::Block2::Year] + 1900);
  f.UpDown21->SetPosition(Block2[Word::Block2::Year] - 100);
  SetNumberAndPosition(f.Edit14, f.UpDown3, Block3[Word::Block3::DisplayOnHour]);
  SetNumberAndPosition(f.Edit18, f.UpDown4, Block3[Word::Block3::DisplayOffHour]);
  const int displayType = Block3[Word::Block3::LargeDisplayType];
  f.ComboBox1->setCurrentIndex(displayType < LargeDisplayTypes ? displayType : -1);
  f.UpDown6->SetPosition(Block3[Word::Block3::PlantSize]);
  f.Edit19->setText(QString::fromStdString(TenthsText(Block3[Word::Block3::Calibration])));
  f.UpDown5->SetPosition(Block3[Word::Block3::Calibration]);
  f.Edit3->SetCp1252Text(f.PortName());
  // The meter count and the commissioning date, so that their up-downs start
  // on the controller's values.
  SetNumberAndPosition(f.Edit2, f.UpDown1, Block3[Word::Block3::MeterCount]);
  // Their fields show the positions, which is what the commands send.
  f.UpDown15->SetPosition(Block3[Word::Block3::CommissioningMonth]);
  SetNumber(f.Edit9, f.UpDown15->Position());
  f.UpDown16->SetPosition(Block3[Word::Block3::CommissioningYear]);
  SetNumber(f.Edit10, f.UpDown16->Position() + 2000);
}

void FillWizard(TForm13& w) {
  w.UpDown3->SetPosition(Block2[Word::Block2::Month] + 23);  // the current month of this year
  ShowMonthPosition(w.UpDown3->Position());
  // "Ok" on the commissioning page sends the up-down positions: they start on
  // the stored date, not on January 2006, and the fields show the positions,
  // so that a stored date outside the arrows' range is not shown as one date
  // and sent as another.
  w.UpDown1->SetPosition(Block3[Word::Block3::CommissioningMonth]);
  w.UpDown2->SetPosition(Block3[Word::Block3::CommissioningYear]);
  w.UpDown1Click();
  w.UpDown2Click();
  SetNumber(w.Edit1, Block3[Word::Block3::MeterCount]);
  SetNumber(w.Edit4, Block3[Word::Block3::Sensitivity]);
  SetNumber(w.Edit3, Block3[Word::Block3::Tariff]);
  w.Edit2->setText(QString::fromStdString(TenthsText(Block3[Word::Block3::PlantSize])));
  w.Edit7->SetCp1252Text(StoredSmsNumber());
}

}  // namespace

void FillSettings() {
  MonthOffset = Block2[Word::Block2::MonthCounter] - Block2[Word::Block2::Month] - 24;
  if (Form7 != nullptr) FillSettingsForm(*Form7);
  if (Form13 != nullptr) FillWizard(*Form13);
}

void ShowMonthEntry(int p, int v) {
  Form13->Edit8->SetCp1252Text(MonthText(p));
  Form13->Edit9->setText(QString::number(v));
}

void ShowMonthPosition(int p) {
  if (const auto index = MonthTableIndex(p)) {
    ShowMonthEntry(p, MonthRun(*index));
    return;
  }
  Form13->Edit8->SetCp1252Text(MonthText(p));
  Form13->Edit9->clear();
}
