#pragma once
// The windows of the four history charts. Each is borderless and holds one
// picture control, Image1, on which its draw routine paints.
#include "views/Form.h"
#include "views/Picture.h"

// Daily chart "Tagesdaten", picture "b1.bmp".
class TForm1 : public TForm {
public:
  explicit TForm1(QWidget* owner);
  TImage* Image1;
};

// Monthly chart "Monatsdaten", picture "b2.bmp".
class TForm12 : public TForm {
public:
  explicit TForm12(QWidget* owner);
  TImage* Image1;
};

// Yearly chart "Jahresdaten", picture "b3.bmp".
class TForm3 : public TForm {
public:
  explicit TForm3(QWidget* owner);
  TImage* Image1;
};

// Plant yield chart "Ertrag der Anlage", picture "b5.bmp".
class TForm5 : public TForm {
public:
  explicit TForm5(QWidget* owner);
  TImage* Image1;
};

// The program-wide windows, created once by the program entry.
extern TForm1* Form1;
extern TForm12* Form12;
extern TForm3* Form3;
extern TForm5* Form5;
