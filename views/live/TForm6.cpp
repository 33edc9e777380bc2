#include "views/live/TForm6.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* owner) : TForm(owner, 792, 507, FormBorder::None, QStringLiteral("Tageswerte")) {
  Image1 = new TImage(this, 0, 0, 785, 505);
}
