// The wizard's window: fourteen panels at one place, "Weiter" below them.
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "settings/Edit.h"
#include "settings/TForm13.h"
#include "settings/UpDown.h"
#include "views/Bind.h"

namespace {

constexpr int ClientWidth = 791;
constexpr int ClientHeight = 493;
constexpr int PageWidth = 257;
constexpr int PageLeft = (ClientWidth - PageWidth) / 2;
constexpr int PageTop = 120;
constexpr int LastPageHeight = 177;
constexpr int OkLeft = 160;
constexpr int FieldTop = 56;
constexpr int CaptionTop = 8;
constexpr int LabelHeight = 17;
constexpr int EditHeight = 21;
constexpr int InfoRow = LabelHeight + EditHeight + 4;  // heading, field, gap

// Without a width the label reaches to 8 pixels before the page's right edge.
QLabel* AddLabel(QWidget* page, const char* text, int x, int y, int width = 0) {
  auto* label = new QLabel(QString::fromUtf8(text), page);
  label->setGeometry(x, y, width > 0 ? width : PageWidth - 8 - x, LabelHeight);
  return label;
}

QPushButton* AddButton(QWidget* page, const char* text, int x, int y, int width = 75) {
  auto* button = new QPushButton(QString::fromUtf8(text), page);
  button->setGeometry(x, y, width, 25);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

TEdit* AddEdit(QWidget* page, int x, int y, int width, int maxLength = 0) {
  auto* edit = new TEdit(page, maxLength);
  edit->setGeometry(x, y, width, EditHeight);
  return edit;
}

TEdit* AddDisplay(QWidget* page, int x, int y, int width) {
  TEdit* edit = AddEdit(page, x, y, width);
  edit->setReadOnly(true);
  return edit;
}

TUpDown* AddArrows(TEdit* edit, int min, int max) {
  auto* arrows = new TUpDown(edit->parentWidget(), min, max, min);
  arrows->SetAssociate(edit);
  return arrows;
}

void MakeRed(QWidget* widget) { widget->setStyleSheet("color: red"); }

}  // namespace

TForm13::TForm13(QWidget* owner)
    : TForm(owner, ClientWidth, ClientHeight, FormBorder::None, QStringLiteral("Einstellungen")) {
  BuildQuestionPages();
  BuildInputPages();
  BuildSelectionPages();
  BuildInfoPage();
  SpeedButton1 = AddButton(this, "Weiter", (ClientWidth - 75) / 2, PageTop + LastPageHeight + 16);
  ConnectHandlers();
  ResetTransmissionPage();
  ShowPage(0);
}

QFrame* TForm13::NewPage(int step, const char* caption, int height) {
  auto* page = new QFrame(this);
  page->setFrameStyle(QFrame::Panel | QFrame::Raised);
  page->setGeometry(PageLeft, PageTop, PageWidth, height);
  QPalette p = page->palette();
  p.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
  page->setPalette(p);
  page->setAutoFillBackground(true);
  AddLabel(page, caption, 8, CaptionTop);
  pages_[step] = page;
  return page;
}

QLabel* TForm13::NewInputError(int step) {
  QLabel* label = AddLabel(pages_[step], "Eingabefehler!", 16, 110, 120);
  MakeRed(label);
  label->hide();
  inputErrors_[step] = label;
  return label;
}

void TForm13::BuildQuestionPages() {
  Panel12 = NewPage(0, "Werkseinstellung laden?");
  SpeedButton14 = AddButton(Panel12, "Ja", (PageWidth - 75) / 2, 100);
  WarningLabel = AddLabel(Panel12, "ACHTUNG! Alle Werte werden gelöscht!", 8, 60);
  MakeRed(WarningLabel);
  SpeedButton15 = AddButton(Panel12, "Ja", 32, 100);
  SpeedButton16 = AddButton(Panel12, "Abbruch", 150, 100);
  MakeRed(SpeedButton15);
  MakeRed(SpeedButton16);

  const int yesLeft = (PageWidth - 75) / 2;
  Panel7 = NewPage(7, "Tageswerte löschen?");
  SpeedButton10 = AddButton(Panel7, "JA", yesLeft, 80);
  Panel8 = NewPage(8, "Jahres kWh löschen?");
  SpeedButton2 = AddButton(Panel8, "JA", yesLeft, 80);
  Panel9 = NewPage(9, "Restart-Zähler löschen?");
  SpeedButton11 = AddButton(Panel9, "JA", yesLeft, 80);
  Panel10 = NewPage(10, "Lernphase aktivieren?");
  SpeedButton12 = AddButton(Panel10, "JA", yesLeft, 80);
}

void TForm13::BuildInputPages() {
  Panel1 = NewPage(1, "Anzahl der Zähler (1..48)");
  Edit1 = AddEdit(Panel1, 16, FieldTop, 65, 2);
  SpeedButton3 = AddButton(Panel1, "Ok", OkLeft, FieldTop - 2);
  NewInputError(1);

  Panel2 = NewPage(2, "Anlagengröße [kWp] z.B 30.4");
  Edit2 = AddEdit(Panel2, 16, FieldTop, 65, 6);
  SpeedButton5 = AddButton(Panel2, "Ok", OkLeft, FieldTop - 2);
  NewInputError(2);

  Panel5 = NewPage(3, "Inbetriebnahme");
  AddLabel(Panel5, "Monat", 16, FieldTop - 18, 60);
  Edit5 = AddDisplay(Panel5, 16, FieldTop, 49);
  UpDown1 = AddArrows(Edit5, 1, 12);
  AddLabel(Panel5, "Jahr", 96, FieldTop - 18, 60);
  Edit6 = AddDisplay(Panel5, 96, FieldTop, 49);
  UpDown2 = AddArrows(Edit6, 6, 30);
  SpeedButton4 = AddButton(Panel5, "Ok", OkLeft, 100);

  Panel11 = NewPage(4, "Monatstabelle [kWh]");
  Edit8 = AddDisplay(Panel11, 16, FieldTop, 65);
  UpDown3 = AddArrows(Edit8, 0, 35);
  Edit9 = AddEdit(Panel11, 108, FieldTop, 49, 5);
  SpeedButton13 = AddButton(Panel11, "Ok", 168, FieldTop - 2);
  NewInputError(4);

  Panel4 = NewPage(5, "Empfindlichkeit der Überwachung");
  AddLabel(Panel4, "10 (hoch) .. 40 (niedrig)", 8, 26);
  Edit4 = AddEdit(Panel4, 16, FieldTop, 65, 2);
  SpeedButton7 = AddButton(Panel4, "Ok", OkLeft, FieldTop - 2);
  NewInputError(5);

  Panel3 = NewPage(6, "Vergütung [Cent]");
  Edit3 = AddEdit(Panel3, 16, FieldTop, 65, 2);
  SpeedButton6 = AddButton(Panel3, "Ok", OkLeft, FieldTop - 2);
  NewInputError(6);

  Panel6 = NewPage(11, "Handynummer für SMS");
  Edit7 = AddEdit(Panel6, 16, FieldTop, 121, 12);
  SpeedButton8 = AddButton(Panel6, "löschen", 16, 100);
  SpeedButton9 = AddButton(Panel6, "Ok", OkLeft, 100);
}

void TForm13::BuildSelectionPages() {
  Panel13 = NewPage(12, "Datenübertragung");
  SpeedButton17 = AddButton(Panel13, "Modem", 16, 40, 105);
  SpeedButton18 = AddButton(Panel13, "COM-Server", 136, 40, 105);
  SpeedButton21 = AddButton(Panel13, "ZentrixModem", 136, 40, 105);
  SpeedButton22 = AddButton(Panel13, "INSYS Pocket", 136, 72, 105);
  DialPrefixLabel = AddLabel(Panel13, "Mit 0 Vorwahl?", 16, 84);
  SpeedButton19 = AddButton(Panel13, "Ja", 16, 106, 105);
  SpeedButton20 = AddButton(Panel13, "Nein", 136, 106, 105);
}

// Four rows of a heading over its field; the page's caption heads the first.
// The last field ends a few pixels above the panel's bottom border.
void TForm13::BuildInfoPage() {
  Panel14 = NewPage(13, "Internetkennung", LastPageHeight);
  const auto heading = [this](int row, const char* text) { AddLabel(Panel14, text, 8, CaptionTop + row * InfoRow); };
  const auto field = [this](int row) {
    return AddDisplay(Panel14, 8, CaptionTop + row * InfoRow + LabelHeight, PageWidth - 16);
  };
  Edit10 = field(0);
  heading(1, "Zentrix Net Version:");
  Edit13 = field(1);
  heading(2, "Datenübertragung:");
  Edit12 = field(2);
  heading(3, "letzte Datenübertragung um:");
  Edit11 = field(3);
}

void TForm13::ConnectHandlers() {
  UpDown1->OnClick = [this](TUpDown::Button) { UpDown1Click(); };
  UpDown2->OnClick = [this](TUpDown::Button) { UpDown2Click(); };
  UpDown3->OnClick = [this](TUpDown::Button) { UpDown3Click(); };
  const std::pair<QPushButton*, void (TForm13::*)()> buttons[] = {
      {SpeedButton1, &TForm13::SpeedButton1Click},   {SpeedButton2, &TForm13::SpeedButton2Click},
      {SpeedButton3, &TForm13::SpeedButton3Click},   {SpeedButton4, &TForm13::SpeedButton4Click},
      {SpeedButton5, &TForm13::SpeedButton5Click},   {SpeedButton6, &TForm13::SpeedButton6Click},
      {SpeedButton7, &TForm13::SpeedButton7Click},   {SpeedButton8, &TForm13::SpeedButton8Click},
      {SpeedButton9, &TForm13::SpeedButton9Click},   {SpeedButton10, &TForm13::SpeedButton10Click},
      {SpeedButton11, &TForm13::SpeedButton11Click}, {SpeedButton12, &TForm13::SpeedButton12Click},
      {SpeedButton13, &TForm13::SpeedButton13Click}, {SpeedButton14, &TForm13::SpeedButton14Click},
      {SpeedButton15, &TForm13::SpeedButton15Click}, {SpeedButton16, &TForm13::SpeedButton16Click},
      {SpeedButton17, &TForm13::SpeedButton17Click}, {SpeedButton18, &TForm13::SpeedButton18Click},
      {SpeedButton19, &TForm13::SpeedButton19Click}, {SpeedButton20, &TForm13::SpeedButton20Click},
      {SpeedButton21, &TForm13::SpeedButton21Click}, {SpeedButton22, &TForm13::SpeedButton22Click}};
  // A command written at once (the month table) may fail on the port; the
  // error goes to the display.
  BindClicks(this, buttons);
}
