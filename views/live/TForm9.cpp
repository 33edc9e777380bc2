#include "views/live/TForm9.h"

#include <QFont>

#include "views/Canvas.h"

TForm9* Form9 = nullptr;

namespace {

// The window's sans family, sized by the character cell height in pixels:
// Arial where it exists (Windows); on Linux fontconfig gives its metric twin,
// Liberation Sans.
QFont SansFont(int cellHeight) {
  const std::string family = "Arial";
  QFont font(QString::fromStdString(family));
  font.setPixelSize(PixelSizeForCellHeight(family, cellHeight, false));
  return font;
}

}  // namespace

TForm9::TForm9(QWidget* owner) : TForm(owner, 361, 337, FormBorder::None, QStringLiteral("Tagesenergiebilanz")) {
  Label1 = new QLabel(QStringLiteral("Tagesenergiebilanz [kWh]"), this);
  Label1->setGeometry(48, 16, 220, 24);
  Label1->setFont(SansFont(20));

  Memo1 = new QPlainTextEdit(this);
  Memo1->setGeometry(24, 48, 305, 265);
  Memo1->setFont(SansFont(17));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
