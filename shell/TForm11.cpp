#include "shell/TForm11.h"

#include <QLabel>

TForm11* Form11 = nullptr;

TForm11::TForm11(QWidget* owner) : TForm(owner, 321, 168, FormBorder::Dialog, QStringLiteral("PCZentrixNet.exe")) {
  auto line = [this](const QString& text, int top, int pixelSize, bool bold) {
    auto* label = new QLabel(text, this);
    QFont f = font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    label->setGeometry(16, top, 289, pixelSize + 8);
    return label;
  };
  Label1 = line(QStringLiteral("Version  1.1"), 16, 18, true);
  Label2 = line(QStringLiteral("PCZentrixNet"), 56, 13, false);
  Label3 = line(QStringLiteral("Musterstraße 1, 12345 Musterstadt"), 80, 13, false);
  Label4 = line(QStringLiteral("E-Mail: info@example.com"), 104, 13, false);
  Label5 = line(QStringLiteral("Internet: www.example.com"), 128, 13, false);
}
