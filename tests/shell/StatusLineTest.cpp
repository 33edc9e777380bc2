// The status line changes its text every tick of the polling cycle: only the
// text is painted again, never the frame or the main window behind it.
#include <QEvent>
#include <QLineEdit>

#include "ShellTestSupport.h"
#include "shell/TStart.h"

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
  int Paints = 0;
};

using StatusLineTest = ShellTest;

TEST_F(StatusLineTest, ANewTextRepaintsTheTextAloneNotWhatLiesBehindIt) {
  Start->show();
  PumpEvents(200);
  ASSERT_TRUE(Start->isVisible());
  QWidget* behind = Start->Edit1->parentWidget();
  ASSERT_NE(behind, nullptr);
  PaintCounter window(Start->centralWidget());
  PaintCounter frame(behind);
  PaintCounter text(Start->Edit1);
  for (int tick = 30; tick < 33; ++tick) {
    Start->Edit1->setText(QStringLiteral("  %1  Datenaustausch zwischen PC und ZentrixNet").arg(tick));
    PumpEvents(50);
  }
  EXPECT_GE(text.Paints, 3) << "each new text is shown";
  EXPECT_EQ(window.Paints, 0) << "the main window behind the status line is not painted again";
  EXPECT_EQ(frame.Paints, 0) << "nor the status line's frame";
  EXPECT_EQ(Start->Edit1->text(), QStringLiteral("  32  Datenaustausch zwischen PC und ZentrixNet"));
}

}  // namespace
