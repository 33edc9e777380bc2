#pragma once
// The daily energy balance list "Tagesenergiebilanz [kWh]": a borderless window
// with a caption and a read-only, scrollable list.
#include <QLabel>
#include <QPlainTextEdit>

#include "views/Form.h"
#include "views/live/DayBalanceList.h"  // the routine that fills this window

class TForm9 : public TForm {
public:
  explicit TForm9(QWidget* owner);

  QLabel* Label1;
  QPlainTextEdit* Memo1;
};

extern TForm9* Form9;
