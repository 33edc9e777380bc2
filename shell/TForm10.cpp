#include "shell/TForm10.h"

#include <QLabel>
#include <QPixmap>

TForm10* Form10 = nullptr;

TForm10::TForm10(QWidget* owner) : TForm(owner, 792, 432, FormBorder::None) {
  Image1 = new QLabel(this);
  Image1->setGeometry(0, 0, 792, 432);
  Image1->setPixmap(QPixmap(QStringLiteral("splash.bmp")));  // absent picture: an empty area
  QFont big = font();
  big.setPixelSize(28);
  big.setBold(true);
  Label1 = new QLabel(QStringLiteral("Daten werden geladen"), this);
  Label1->setFont(big);
  Label1->setGeometry(0, 330, 792, 40);
  Label1->setAlignment(Qt::AlignCenter);
  Label2 = new QLabel(QStringLiteral("Terva - System"), this);
  big.setPixelSize(20);
  Label2->setFont(big);
  Label2->setGeometry(0, 375, 792, 30);
  Label2->setAlignment(Qt::AlignCenter);
}
