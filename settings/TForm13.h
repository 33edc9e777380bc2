#pragma once
// The setup wizard: fourteen pages in a fixed cycle, one visible at a time,
// "Weiter" moves on. A page takes one value, checks it, prepares it and marks
// its command, or asks a question whose "JA" marks an action, or only shows
// values. The polling tick sends what is marked; the month-table entry alone
// goes out at once.
#include "views/Form.h"

class QFrame;
class QLabel;
class QPushButton;
class TEdit;
class TUpDown;

// The page shown; the main window sets it to 0 before it opens the wizard.
extern int WizardStep;

class TForm13 : public TForm {
public:
  static constexpr int Pages = 14;

  explicit TForm13(QWidget* owner = nullptr);

  // Shows the page of WizardStep (0 after the last) and fills it.
  void ShowStep();

  void SpeedButton1Click();  // "Weiter"
  // Page 0, factory settings
  void SpeedButton14Click();  // "Ja": asks for confirmation
  void SpeedButton15Click();  // red "Ja": confirmed
  void SpeedButton16Click();  // "Abbruch"
  // Input pages
  void SpeedButton3Click();   // page 1, meter count
  void SpeedButton5Click();   // page 2, plant size
  void UpDown1Click();        // page 3, commissioning month
  void UpDown2Click();        // page 3, commissioning year
  void SpeedButton4Click();   // page 3, "Ok"
  void UpDown3Click();        // page 4, month-table month
  void SpeedButton13Click();  // page 4, "Ok": sends the entry at once
  void SpeedButton7Click();   // page 5, monitoring sensitivity
  void SpeedButton6Click();   // page 6, tariff
  // Yes/no pages
  void SpeedButton10Click();  // page 7, clear daily values
  void SpeedButton2Click();   // page 8, clear year energy
  void SpeedButton11Click();  // page 9, clear restart counter
  void SpeedButton12Click();  // page 10, start learning phase
  // Page 11, SMS number
  void SpeedButton8Click();  // "löschen"
  void SpeedButton9Click();  // "Ok"
  // Page 12, data transmission
  void SpeedButton17Click();  // "Modem"
  void SpeedButton18Click();  // "COM-Server"
  void SpeedButton21Click();  // "ZentrixModem"
  void SpeedButton22Click();  // "INSYS Pocket"
  void SpeedButton19Click();  // "Ja"
  void SpeedButton20Click();  // "Nein"

  // The panel of each page, indexed by WizardStep.
  QFrame* PageOf(int step) const { return pages_[step]; }
  // The page's "Eingabefehler!" label, or nullptr for a page without one.
  QLabel* InputErrorOf(int step) const { return inputErrors_[step]; }

  QFrame* Panel1;
  QFrame* Panel2;
  QFrame* Panel3;
  QFrame* Panel4;
  QFrame* Panel5;
  QFrame* Panel6;
  QFrame* Panel7;
  QFrame* Panel8;
  QFrame* Panel9;
  QFrame* Panel10;
  QFrame* Panel11;
  QFrame* Panel12;
  QFrame* Panel13;
  QFrame* Panel14;

  TEdit* Edit1;      // page 1, meter count, 2 characters
  TEdit* Edit2;      // page 2, plant size, 6 characters
  TEdit* Edit3;      // page 6, tariff, 2 characters
  TEdit* Edit4;      // page 5, sensitivity, 2 characters
  TEdit* Edit5;      // page 3, commissioning month (display)
  TEdit* Edit6;      // page 3, commissioning year (display)
  TEdit* Edit7;      // page 11, SMS number, 12 characters
  TEdit* Edit8;      // page 4, month (display)
  TEdit* Edit9;      // page 4, month-table value, 5 characters
  TEdit* Edit10;     // page 13, internet identification
  TEdit* Edit11;     // page 13, last transmission
  TEdit* Edit12;     // page 13, transmission kind
  TEdit* Edit13;     // page 13, version
  TUpDown* UpDown1;  // commissioning month 1..12
  TUpDown* UpDown2;  // commissioning year 6..30 from 2000
  TUpDown* UpDown3;  // month-table position 0..35

  QLabel* WarningLabel;     // page 0, "ACHTUNG! Alle Werte werden gelöscht!"
  QLabel* DialPrefixLabel;  // page 12, "Mit 0 Vorwahl?"

  QPushButton* SpeedButton1;
  QPushButton* SpeedButton2;
  QPushButton* SpeedButton3;
  QPushButton* SpeedButton4;
  QPushButton* SpeedButton5;
  QPushButton* SpeedButton6;
  QPushButton* SpeedButton7;
  QPushButton* SpeedButton8;
  QPushButton* SpeedButton9;
  QPushButton* SpeedButton10;
  QPushButton* SpeedButton11;
  QPushButton* SpeedButton12;
  QPushButton* SpeedButton13;
  QPushButton* SpeedButton14;
  QPushButton* SpeedButton15;
  QPushButton* SpeedButton16;
  QPushButton* SpeedButton17;
  QPushButton* SpeedButton18;
  QPushButton* SpeedButton19;
  QPushButton* SpeedButton20;
  QPushButton* SpeedButton21;
  QPushButton* SpeedButton22;

private:
  void BuildQuestionPages();
  void BuildInputPages();
  void BuildSelectionPages();
  void BuildInfoPage();
  void ConnectHandlers();
  QFrame* NewPage(int step, const char* caption, int height = 161);
  QLabel* NewInputError(int step);

  // The whole-number pages: checks the field, prepares the value, marks the slot.
  void AcceptWholeNumber(int step, const TEdit* edit, int min, int max, int& setting, int slot);
  // Shows the panel of a page with its start state; fills nothing.
  void ShowPage(int step);
  void CloseConfirmation();
  void ResetTransmissionPage();
  void ShowDialPrefixQuestion();
  void AnswerDialPrefix(bool withPrefix);
  void FillInternetPage();

  QFrame* pages_[Pages] = {};
  QLabel* inputErrors_[Pages] = {};
};

extern TForm13* Form13;
