#include "settings/UpDown.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "views/Bind.h"

namespace {
constexpr int ArrowWidth = 17;
}

TUpDown::TUpDown(QWidget* parent, int min, int max, int position, int increment)
    : QWidget(parent),
      min_(min),
      max_(max),
      position_(std::clamp(position, min, max)),
      increment_(increment),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setAutoRepeat(true);
  }
  // The Click handler's exceptions reach the display, as a button's do.
  Bind(up_, &QToolButton::clicked, this, [this] { Click(Button::Up); });
  Bind(down_, &QToolButton::clicked, this, [this] { Click(Button::Down); });
  setFixedWidth(ArrowWidth);
  resize(ArrowWidth, 21);
}

void TUpDown::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void TUpDown::SetAssociate(QLineEdit* edit, bool place) {
  if (associate_ != nullptr) associate_->removeEventFilter(this);
  associate_ = edit;
  if (edit == nullptr) return;
  edit->installEventFilter(this);
  if (place) setGeometry(edit->x() + edit->width(), edit->y(), ArrowWidth, edit->height());
}

void TUpDown::Click(Button button) {
  SetPosition(button == Button::Up ? position_ + increment_ : position_ - increment_);
  if (associate_ != nullptr) associate_->setText(QString::number(position_));
  if (OnClick) OnClick(button);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Guarded([this, key] { Click(key == Qt::Key_Up ? Button::Up : Button::Down); });
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}
