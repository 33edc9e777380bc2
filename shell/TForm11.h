#pragma once
// The About window.
#include "views/Form.h"

class QLabel;

class TForm11 : public TForm {
public:
  explicit TForm11(QWidget* owner);
  QLabel* Label1;  // "Version  1.1"
  QLabel* Label2;  // the four contact lines
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
};

extern TForm11* Form11;
