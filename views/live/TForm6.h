#pragma once
// The daily values page "Tageswerte": a borderless window with one picture.
#include "views/Form.h"
#include "views/Picture.h"

class TForm6 : public TForm {
public:
  explicit TForm6(QWidget* owner);

  TImage* Image1;
};

extern TForm6* Form6;
