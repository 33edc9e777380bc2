// The status line draws exactly what a plain line edit draws, through every
// change the program makes to it.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <memory>

#include "shell/StatusLine.h"

namespace {

// A white client area as the main window's, with one line in it.
struct Client {
  std::unique_ptr<QWidget> Area = std::make_unique<QWidget>();
  QLineEdit* Line = nullptr;

  explicit Client(const std::function<QLineEdit*(QWidget*)>& make) {
    Area->setFixedSize(460, 60);
    Area->setAutoFillBackground(true);
    QPalette white = Area->palette();
    white.setColor(QPalette::Window, Qt::white);
    Area->setPalette(white);
    Line = make(Area.get());
    Line->setGeometry(20, 18, 425, 24);
    Line->setReadOnly(true);
    Line->setFocusPolicy(Qt::NoFocus);
    QPalette blue = Line->palette();
    blue.setColor(QPalette::Text, Qt::blue);
    Line->setPalette(blue);
  }
  QImage Picture() const { return Area->grab().toImage(); }
};

class StatusLineTest : public ::testing::Test {
protected:
  Client plain{[](QWidget* parent) { return new QLineEdit(parent); }};
  Client status{[](QWidget* parent) { return new StatusLine(parent); }};

  void ExpectSamePicture(const char* step) {
    const QImage expected = plain.Picture();
    const QImage drawn = status.Picture();
    ASSERT_EQ(drawn.size(), expected.size()) << step;
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y)
      for (int x = 0; x < drawn.width(); ++x) differing += drawn.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0) << "pixels that differ from a plain line edit's, " << step;
  }
  void Both(const std::function<void(QLineEdit*)>& change) {
    change(plain.Line);
    change(status.Line);
  }
};

TEST_F(StatusLineTest, DrawsWhatAPlainLineEditDraws) {
  ExpectSamePicture("empty");
  Both([](QLineEdit* line) { line->setText(QStringLiteral("  60  Verbindungsaufbau zwischen PC und ZentrixNet")); });
  ExpectSamePicture("first text");
  Both([](QLineEdit* line) { line->setText(QStringLiteral("  23  Datenaustausch zwischen PC und ZentrixNet")); });
  ExpectSamePicture("next tick");
}

// The kept panel must follow what it depends on.
TEST_F(StatusLineTest, FollowsSizePaletteStateAndBackground) {
  Both([](QLineEdit* line) { line->setText(QStringLiteral("  05  Datenaustausch zwischen Zentrix und Zentrix Net")); });
  ExpectSamePicture("text");
  Both([](QLineEdit* line) { line->resize(300, 30); });
  ExpectSamePicture("resized");
  Both([](QLineEdit* line) {
    QPalette base = line->palette();
    base.setColor(QPalette::Base, QColor(255, 255, 200));
    line->setPalette(base);
  });
  ExpectSamePicture("another base colour");
  Both([](QLineEdit* line) { line->setEnabled(false); });
  ExpectSamePicture("disabled");
  for (Client* client : {&plain, &status}) {
    QPalette grey = client->Area->palette();
    grey.setColor(QPalette::Window, QColor(212, 208, 200));
    client->Area->setPalette(grey);
  }
  ExpectSamePicture("another window colour behind");
}

}  // namespace
