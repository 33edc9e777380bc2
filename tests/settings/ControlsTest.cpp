#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <QWidget>
#include <vector>

#include "base/Exception.h"
#include "settings/Edit.h"
#include "settings/UpDown.h"

namespace {

TEST(UpDownTest, StepsWithinItsRangeWritesTheEditThenRunsTheHandler) {
  QWidget parent;
  TEdit edit(&parent);
  TUpDown arrows(&parent, 10, 40, 0, 5);
  EXPECT_EQ(arrows.Position(), 10);  // a start outside the range is clamped
  arrows.SetAssociate(&edit);
  std::vector<std::string> seen;  // the edit's text when the handler runs
  arrows.OnClick = [&](TUpDown::Button) { seen.push_back(edit.text().toStdString()); };

  arrows.UpArrow()->click();
  EXPECT_EQ(arrows.Position(), 15);
  arrows.SetPosition(38);
  EXPECT_EQ(edit.text(), "15");  // the program's position leaves the edit alone
  arrows.Click(TUpDown::Button::Up);
  EXPECT_EQ(arrows.Position(), 40);
  arrows.Click(TUpDown::Button::Up);
  EXPECT_EQ(arrows.Position(), 40);
  arrows.DownArrow()->click();
  EXPECT_EQ(arrows.Position(), 35);
  EXPECT_EQ(seen, (std::vector<std::string>{"15", "40", "40", "35"}));
  arrows.SetPosition(-7);
  EXPECT_EQ(arrows.Position(), 10);
}

TEST(UpDownTest, ArrowKeysInTheEditStepIt) {
  QWidget parent;
  TEdit edit(&parent);
  TUpDown arrows(&parent, 0, 23, 5);
  arrows.SetAssociate(&edit);
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(&edit, &up);
  QApplication::sendEvent(&edit, &up);
  QApplication::sendEvent(&edit, &down);
  EXPECT_EQ(arrows.Position(), 6);
  EXPECT_EQ(edit.text(), "6");
}

// A handler that fails reaches the error display, from an arrow as from a
// key, and the click returns to the window normally.
TEST(UpDownTest, AHandlersErrorGoesToTheDisplay) {
  QWidget parent;
  TEdit edit(&parent);
  TUpDown arrows(&parent, 0, 23, 5);
  arrows.SetAssociate(&edit);
  arrows.OnClick = [](TUpDown::Button button) {
    throw Exception(button == TUpDown::Button::Up ? "up failed" : "down failed");
  };
  std::vector<std::string> shown;
  SetApplicationExceptionHandler([&](const std::exception& e) { shown.push_back(e.what()); });
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  EXPECT_NO_THROW(arrows.UpArrow()->click());
  EXPECT_NO_THROW(QApplication::sendEvent(&edit, &down));
  SetApplicationExceptionHandler(nullptr);
  EXPECT_EQ(shown, (std::vector<std::string>{"up failed", "down failed"}));
  EXPECT_EQ(arrows.Position(), 5);
}

TEST(EditTest, MaxLengthLimitsTypingButNotTheProgramsText) {
  TEdit edit(nullptr, 2);
  edit.insert("123");
  EXPECT_EQ(edit.text(), "");
  edit.insert("12");
  edit.insert("3");
  EXPECT_EQ(edit.text(), "12");
  edit.setText("150");  // a stored value is shown whole
  EXPECT_EQ(edit.text(), "150");
}

}  // namespace
