#include "shell/StatusLine.h"

#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOptionFrame>

namespace {

// The application's style, with one line edit's panel drawn from a picture
// that holds it on the parent's background. The picture is drawn again when
// anything the panel depends on changes: size, state, palette, background.
class PanelPictureStyle : public QProxyStyle {
public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || frame == nullptr || widget == nullptr || widget->parentWidget() == nullptr) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    painter->drawPixmap(option->rect.topLeft(), Picture(*frame, painter->device()->devicePixelRatio(), *widget));
  }

private:
  struct Key {
    QSize Size;
    QStyle::State State;
    int LineWidth = 0;
    qint64 Palette = 0;
    QRgb Background = 0;
    qreal Ratio = 0;
    bool operator==(const Key&) const = default;
  };

  const QPixmap& Picture(const QStyleOptionFrame& frame, qreal ratio, const QWidget& widget) const {
    const QColor background = widget.parentWidget()->palette().color(QPalette::Window);
    const Key key{frame.rect.size(), frame.state, frame.lineWidth, frame.palette.cacheKey(), background.rgba(), ratio};
    if (key == key_ && !picture_.isNull()) return picture_;
    QStyleOptionFrame atOrigin = frame;
    atOrigin.rect.moveTo(0, 0);
    picture_ = QPixmap(frame.rect.size() * ratio);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(background);
    QPainter painter(&picture_);
    QProxyStyle::drawPrimitive(PE_PanelLineEdit, &atOrigin, &painter, &widget);
    key_ = key;
    return picture_;
  }

  mutable Key key_;
  mutable QPixmap picture_;
};

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QLineEdit(parent) {
  auto* style = new PanelPictureStyle;
  style->setParent(this);  // the widget owns its style
  setStyle(style);
  // The picture covers every pixel, so nothing behind needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}
