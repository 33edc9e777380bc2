#pragma once
// The up-down control: two arrow buttons that step a position between Min and
// Max by Increment. Bound to an edit, a step writes the new position into the
// edit ("%d"), then the Click handler runs, which may write its own text. The
// Up and Down keys in the bound edit step it too. Setting Position from the
// program clamps it and leaves the edit alone.
#include <functional>

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
public:
  enum class Button { Up, Down };

  TUpDown(QWidget* parent, int min, int max, int position = 0, int increment = 1);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int Increment() const { return increment_; }
  void SetPosition(int position);

  // Binds the edit; with Place, sits at its right edge with its height.
  void SetAssociate(QLineEdit* edit, bool place = true);
  QLineEdit* Associate() const { return associate_; }

  std::function<void(Button)> OnClick;

  // One step as an arrow click does it.
  void Click(Button button);

  QToolButton* UpArrow() const { return up_; }
  QToolButton* DownArrow() const { return down_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  int min_;
  int max_;
  int position_;
  int increment_;
  QLineEdit* associate_ = nullptr;
  QToolButton* up_;
  QToolButton* down_;
};
