#include "views/Picture.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>

TImage::TImage(QWidget* parent, int left, int top, int width, int height) : QWidget(parent) {
  setGeometry(left, top, width, height);
  canvas_.SetImage(&picture_);
  canvas_.SetChangedHandler([this] { update(); });
}

void TImage::LoadFromFile(const std::string& fileName) {
  const QString name = QString::fromLocal8Bit(fileName.c_str());
  const QString path = QDir::current().absoluteFilePath(name);
  QImageReader reader(name);
  QImage loaded = reader.read();
  if (loaded.isNull()) {
    const QString reason = QFile::exists(name) ? reader.errorString() : QStringLiteral("File not found");
    throw EPictureError("Cannot open file \"" + QDir::toNativeSeparators(path).toStdString() + "\". " +
                        reason.toStdString());
  }
  picture_ = loaded.convertToFormat(QImage::Format_RGB32);
  canvas_.SetImage(&picture_);
  canvas_.ResetState();
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
}
