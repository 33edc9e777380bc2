#include "views/history/ChartForms.h"

TForm1* Form1 = nullptr;
TForm12* Form12 = nullptr;
TForm3* Form3 = nullptr;
TForm5* Form5 = nullptr;

TForm1::TForm1(QWidget* owner)
    : TForm(owner, 792, 432, FormBorder::None, QStringLiteral("Tagesdaten")),
      Image1(new TImage(this, 0, 0, 785, 401)) {}

TForm12::TForm12(QWidget* owner)
    : TForm(owner, 753, 321, FormBorder::None, QStringLiteral("Monatsdaten")),
      Image1(new TImage(this, 8, 0, 753, 321)) {}

TForm3::TForm3(QWidget* owner)
    : TForm(owner, 777, 369, FormBorder::None, QStringLiteral("Jahresdaten")),
      Image1(new TImage(this, 0, 0, 777, 369)) {}

TForm5::TForm5(QWidget* owner)
    : TForm(owner, 779, 379, FormBorder::None, QStringLiteral("Ertrag der Anlage")),
      Image1(new TImage(this, 0, 0, 777, 377)) {}
