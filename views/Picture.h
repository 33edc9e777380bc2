#pragma once
// The picture control of a view window (its Image1): shows a bitmap that is
// loaded from a file by relative name, from the working directory, at every
// drawing, and offers the bitmap's canvas.
#include <QImage>
#include <QWidget>
#include <string>

#include "base/Exception.h"
#include "views/Canvas.h"

// A picture file that cannot be read.
class EPictureError : public Exception {
public:
  using Exception::Exception;
};

class TImage : public QWidget {
public:
  TImage(QWidget* parent, int left, int top, int width, int height);

  // Replaces the picture with the bitmap of the file and resets the canvas
  // to its fresh state. A missing or unreadable file raises EPictureError and
  // leaves the previous picture as it was.
  void LoadFromFile(const std::string& fileName);

  Canvas& GetCanvas() { return canvas_; }
  const QImage& Picture() const { return picture_; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QImage picture_;
  Canvas canvas_;
};
