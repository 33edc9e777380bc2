#include "shell/NoticeWindow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/AlarmPictures.h"

namespace {
constexpr int CornerMargin = 12;
}

NoticeWindow::NoticeWindow()
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("PCZentrixNet – Meldung"));
  setFrameStyle(QFrame::Box | QFrame::Plain);
  Picture = new QLabel(this);
  Heading = new QLabel(this);
  QFont bold = Heading->font();
  bold.setBold(true);
  Heading->setFont(bold);
  Body = new QLabel(this);
  auto* words = new QVBoxLayout;
  words->addWidget(Heading);
  words->addWidget(Body);
  auto* row = new QHBoxLayout(this);
  row->addWidget(Picture, 0, Qt::AlignTop);
  row->addLayout(words);
  CloseTimer = new QTimer(this);
  CloseTimer->setSingleShot(true);
  CloseTimer->setInterval(ShownMs);
  connect(CloseTimer, &QTimer::timeout, this, &QWidget::hide);
}

void NoticeWindow::Tell(const AlarmNotice& notice) {
  Picture->setPixmap(QPixmap::fromImage(AlarmPicture(notice.Look, 32)));
  Heading->setText(notice.Title);
  Body->setText(notice.Text);
  adjustSize();
  PlaceInCorner();
  show();
  CloseTimer->start();
}

QString NoticeWindow::Text() const { return Heading->text() + QLatin1Char('\n') + Body->text(); }

void NoticeWindow::mousePressEvent(QMouseEvent*) {
  CloseTimer->stop();
  hide();
}

void NoticeWindow::PlaceInCorner() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  move(area.right() - width() - CornerMargin, area.bottom() - height() - CornerMargin);
}
