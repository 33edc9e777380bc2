#pragma once
// The daily values page "Tageswerte": a borderless window with one picture.
#include "views/Form.h"
#include "views/Picture.h"
#include "views/live/DailyValues.h"  // the view that draws on this window

class TForm6 : public TForm {
public:
  explicit TForm6(QWidget* owner);

  TImage* Image1;
};

extern TForm6* Form6;
