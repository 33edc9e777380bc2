#pragma once
// The settings form "Einstellungen". Nothing in the program shows it, but it
// holds values for the rest of the system: the polling cycle writes the link
// state, the monitoring text and the state check boxes into it, FillSettings
// writes the controller's settings, and the command builders read their
// control positions from it (it is the CommandControls of the link).
// Its own buttons mark the commands of their groups.
#include <string>

#include "link/Commands.h"
#include "views/Form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QVBoxLayout;
class QPushButton;
class TEdit;
class TUpDown;
struct TickActions;

class TForm7 : public TForm, public CommandControls {
public:
  explicit TForm7(QWidget* owner = nullptr);

  // Applies what a polling tick returned: the check boxes at the refresh
  // point, the link text (Edit4) and the monitoring text (Edit6).
  void ShowLinkState(const TickActions& actions);
  // The selected port's name ("COM 1"), shown in Edit3 and kept for FillSettings.
  void SetPortName(const std::string& name);
  const std::string& PortName() const { return portName_; }

  // CommandControls
  int PulsesPerKwhPosition() const override;
  int DisplayOnHour() const override;
  int DisplayOffHour() const override;
  int LargeDisplayType() const override;
  int CalibrationPosition() const override;
  void RestartCountCleared() override;
  void YearEnergyCleared() override;

  // Up-down handlers that show the position in its unit.
  void UpDown6Click();
  void UpDown8Click();
  void UpDown5Click();
  void UpDown16Click();
  void UpDown21Click();
  void UpDown23Click();

  // Buttons: each marks the commands of its group.
  void SpeedButton1Click();   // meter count
  void SpeedButton2Click();   // plant size
  void SpeedButton3Click();   // pulses per kWh
  void SpeedButton4Click();   // tariff
  void SpeedButton5Click();   // calibration
  void SpeedButton6Click();   // monitoring sensitivity
  void SpeedButton7Click();   // clear the restart counter
  void SpeedButton8Click();   // set the controller clock
  void SpeedButton9Click();   // month-table entry, sent at once
  void SpeedButton10Click();  // large display type and switching hours
  void SpeedButton11Click();  // SMS number
  void SpeedButton12Click();  // start-screen lines
  void SpeedButton13Click();  // output test on, sent at once
  void SpeedButton14Click();  // output test off, sent at once
  void SpeedButton15Click();  // asks to clear the year energy (Panel1)
  void SpeedButton16Click();  // Panel1 "Ja"
  void SpeedButton17Click();  // Panel1 "Nein"

  // "PC-TERVA Verbindung"
  TEdit* Edit4;
  TEdit* Edit3;
  // "Überprüfung der PV-Anlage"
  TEdit* Edit6;
  // "CAN Verbindung zu Adresse": 1..8 "Adr.1".."Adr.8", 9 "ER2", 11 "ER3";
  // 10 "0 Vorwahl für Modem " below the settings column.
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QCheckBox* CheckBox7;
  QCheckBox* CheckBox8;
  QCheckBox* CheckBox9;
  QCheckBox* CheckBox10;
  QCheckBox* CheckBox11;

  TEdit* Edit2;
  TUpDown* UpDown1;  // "Anzahl der Zähler" 1..32
  TEdit* Edit11;
  TUpDown* UpDown6;  // "Anlagengröße [kWp]" 10..20000 tenths
  TEdit* Edit16;
  TUpDown* UpDown8;  // "Impulse pro kWh" 10..30000, shown × 10
  TEdit* Edit1;
  TUpDown* UpDown2;  // "Vergütung [Cent]" 1..200
  TEdit* Edit15;
  TUpDown* UpDown7;  // "Anzeigezyklus [sec]" 4..20
  TEdit* Edit19;
  TUpDown* UpDown5;  // "Kalibrierwert [mV]" 50..1200, shown × 0.1
  TEdit* Edit20;
  TUpDown* UpDown9;  // "Empfind.Überwachung" 10..40 step 5
  TEdit* Edit17;     // "Restarts der Anlage"
  // "Uhrzeit /Datum stellen"
  TEdit* Edit26;
  TUpDown* UpDown17;  // hours 0..23
  TEdit* Edit27;
  TUpDown* UpDown18;  // minutes 0..59
  TEdit* Edit28;
  TUpDown* UpDown19;  // day 1..31
  TEdit* Edit29;
  TUpDown* UpDown20;  // month 1..12
  TEdit* Edit30;
  TUpDown* UpDown21;  // year 3..20 from 2000
  // "Inbetriebnahme"
  TEdit* Edit9;
  TUpDown* UpDown15;  // month 1..12
  TEdit* Edit10;
  TUpDown* UpDown16;  // year 2..20 from 2000
  // "Monatstabelle [kWh]"
  TEdit* Edit7;
  TUpDown* UpDown23;  // month position 0..35
  TEdit* Edit8;       // value, at most 5 characters
  // "Auswahl der Großanzeige"
  QComboBox* ComboBox1;
  TEdit* Edit14;
  TUpDown* UpDown3;  // "EIN" 0..23
  TEdit* Edit18;
  TUpDown* UpDown4;  // "AUS" 0..23
  // "Handynummern für SMS"
  TEdit* Edit13;  // "Anlage:" controller identification
  TEdit* Edit5;   // "Handy 1", at most 12 characters
  // "Startbild auf Ruzidivadazi", at most 20 characters each
  TEdit* Edit22;
  TEdit* Edit23;
  TEdit* Edit24;
  TEdit* Edit25;
  // The year-energy delete confirmation.
  QFrame* Panel1;

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

private:
  QVBoxLayout* BuildLinkColumn();
  QVBoxLayout* BuildValueColumn();
  QVBoxLayout* BuildClockColumn();
  QVBoxLayout* BuildTextColumn();
  void ConnectHandlers();

  std::string portName_;
};

extern TForm7* Form7;
