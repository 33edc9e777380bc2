#include "views/live/TForm4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner) : TForm(owner, 793, 393, FormBorder::None, QStringLiteral("Jahresenergiebilanz")) {
  Image1 = new TImage(this, 0, 0, 793, 393);
}
