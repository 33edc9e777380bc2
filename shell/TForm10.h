#pragma once
// The splash window: a picture with "Daten werden geladen" and "Terva - System".
// Created at start and never shown by the program.
#include "views/Form.h"

class QLabel;

class TForm10 : public TForm {
public:
  explicit TForm10(QWidget* owner);
  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
};

extern TForm10* Form10;
