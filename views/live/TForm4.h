#pragma once
// The yearly energy balance "Jahresenergiebilanz": a borderless window with one picture.
#include "views/Form.h"
#include "views/Picture.h"
#include "views/live/YearBalance.h"  // the view that draws on this window

class TForm4 : public TForm {
public:
  explicit TForm4(QWidget* owner);

  TImage* Image1;
};

extern TForm4* Form4;
