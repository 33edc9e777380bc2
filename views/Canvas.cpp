#include "views/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>
#include <utility>

#include "protocol/Cp1252.h"
#include "views/InterfaceFont.h"

namespace {

QFont MakeFont(const std::string& family, int cellHeight, bool bold, FontPitch pitch) {
  QFont font(FontFamily(QString::fromStdString(family)));
  font.setPixelSize(PixelSizeForCellHeight(family, cellHeight, bold));
  font.setBold(bold);
  font.setFixedPitch(pitch == FontPitch::Fixed);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// The pixels a line from a0 up to, not including, a1 covers along its axis,
// limited to 0 .. size - 1; empty when from > to.
std::pair<int, int> VisibleSpan(int a0, int a1, int size) {
  const int last = a1 > a0 ? a1 - 1 : a1 + 1;
  return {std::max(std::min(a0, last), 0), std::min(std::max(a0, last), size - 1)};
}

}  // namespace

int PixelSizeForCellHeight(const std::string& family, int cellHeight, bool bold) {
  static std::map<std::tuple<std::string, int, bool>, int> cache;
  const auto key = std::make_tuple(family, cellHeight, bold);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  int size = cellHeight < 1 ? 1 : cellHeight;
  for (; size > 1; --size) {
    QFont font(FontFamily(QString::fromStdString(family)));
    font.setPixelSize(size);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    if (metrics.ascent() + metrics.descent() <= cellHeight) break;
  }
  cache.emplace(key, size);
  return size;
}

Canvas::Canvas(QImage* image) : image_(image) { ResetState(); }

void Canvas::SetImage(QImage* image) { image_ = image; }

void Canvas::ResetState() {
  penX_ = penY_ = 0;
  penColor_ = Colors::Black;
  penWidth_ = 1;
  brushColor_ = Colors::White;
  brushStyle_ = BrushStyle::Solid;
  fontName_ = "MS Sans Serif";
  fontHeight_ = 13;
  fontColor_ = Colors::Black;
  fontPitch_ = FontPitch::Default;
  fontBold_ = false;
}

void Canvas::SetPixel(int x, int y, uint32_t argb) {
  if (image_ == nullptr || x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
  reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = argb;
}

TColor Canvas::Pixel(int x, int y) const {
  if (image_ == nullptr || x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return 0;
  return ColorFromArgb(image_->pixel(x, y));
}

void Canvas::Record(DrawLogEntry entry) {
  if (logging_) log_.push_back(std::move(entry));
}

void Canvas::Changed() {
  if (changed_) changed_();
}

void Canvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
  Record({DrawLogEntry::MoveTo, x, y});
}

// A horizontal or vertical line from (x0, y0) up to, not including, (x1, y1),
// only where it crosses the image: a bar millions of pixels high costs no more
// than one as high as the picture.
void Canvas::DrawStraightLine(int x0, int y0, int x1, int y1, uint32_t argb) {
  if (image_ == nullptr || (x0 == x1 && y0 == y1)) return;
  const bool vertical = x0 == x1;
  const auto [from, to] = vertical ? VisibleSpan(y0, y1, image_->height()) : VisibleSpan(x0, x1, image_->width());
  for (int a = from; a <= to; ++a) SetPixel(vertical ? x0 : a, vertical ? a : y0, argb);
}

void Canvas::LineTo(int x, int y) {
  DrawLogEntry entry{DrawLogEntry::LineTo, x, y, penX_, penY_, penColor_, penWidth_};
  Record(entry);
  if (image_ != nullptr) {
    const uint32_t argb = ArgbFromColor(penColor_);
    if (penWidth_ <= 1 && (penX_ == x || penY_ == y)) {
      DrawStraightLine(penX_, penY_, x, y, argb);
    } else if (penWidth_ <= 1) {
      // Bresenham from the current position up to, not including, the end point.
      int x0 = penX_, y0 = penY_;
      const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
      const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
      int err = dx + dy;
      while (x0 != x || y0 != y) {
        SetPixel(x0, y0, argb);
        const int e2 = 2 * err;
        if (e2 >= dy) {
          err += dy;
          x0 += sx;
        }
        if (e2 <= dx) {
          err += dx;
          y0 += sy;
        }
      }
    } else {
      QPainter painter(image_);
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setPen(QPen(QColor::fromRgb(argb), penWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawLine(penX_, penY_, x, y);
    }
  }
  penX_ = x;
  penY_ = y;
  Changed();
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record({DrawLogEntry::Rectangle, x1, y1, x2, y2, penColor_, penWidth_});
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (image_ == nullptr || x2 - x1 < 1 || y2 - y1 < 1) return;
  if (brushStyle_ == BrushStyle::Solid) {
    const uint32_t fill = ArgbFromColor(brushColor_);
    for (int y = y1 + 1; y < y2 - 1; ++y)
      for (int x = x1 + 1; x < x2 - 1; ++x) SetPixel(x, y, fill);
  }
  const uint32_t argb = ArgbFromColor(penColor_);
  if (penWidth_ <= 1) {
    for (int x = x1; x < x2; ++x) {
      SetPixel(x, y1, argb);
      SetPixel(x, y2 - 1, argb);
    }
    for (int y = y1; y < y2; ++y) {
      SetPixel(x1, y, argb);
      SetPixel(x2 - 1, y, argb);
    }
  } else {
    QPainter painter(image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgb(argb), penWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  }
  Changed();
}

void Canvas::TextOut(int x, int y, const std::string& cp1252) {
  DrawLogEntry entry{DrawLogEntry::TextOut, x, y, 0, 0, fontColor_};
  entry.text = cp1252;
  entry.fontName = fontName_;
  entry.fontHeight = fontHeight_;
  entry.bold = fontBold_;
  entry.transparent = brushStyle_ == BrushStyle::Clear;
  Record(entry);
  if (image_ == nullptr) return;
  const QFont font = MakeFont(fontName_, fontHeight_, fontBold_, fontPitch_);
  const QFontMetrics metrics(font);
  const QString text = QString::fromStdString(Utf8FromCp1252(cp1252));
  QPainter painter(image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  if (brushStyle_ == BrushStyle::Solid) {
    painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent(),
                     QColor::fromRgb(ArgbFromColor(brushColor_)));
  }
  painter.setFont(font);
  painter.setPen(QColor::fromRgb(ArgbFromColor(fontColor_)));
  painter.drawText(x, y + metrics.ascent(), text);
  Changed();
}

void Canvas::FloodFill(int x, int y, TColor border) {
  DrawLogEntry entry{DrawLogEntry::FloodFill, x, y, 0, 0, brushColor_};
  entry.border = border;
  Record(entry);
  if (image_ == nullptr) return;
  const int w = image_->width(), h = image_->height();
  if (x < 0 || y < 0 || x >= w || y >= h) return;
  const uint32_t borderRgb = ArgbFromColor(border) & 0xFFFFFF;
  const uint32_t fill = ArgbFromColor(brushColor_);
  auto isBorder = [&](int px, int py) {
    return (reinterpret_cast<const QRgb*>(image_->constScanLine(py))[px] & 0xFFFFFF) == borderRgb;
  };
  if (isBorder(x, y)) return;
  std::vector<uint8_t> done(static_cast<size_t>(w) * h, 0);
  std::vector<std::pair<int, int>> stack{{x, y}};
  while (!stack.empty()) {
    auto [sx, sy] = stack.back();
    stack.pop_back();
    if (done[static_cast<size_t>(sy) * w + sx] || isBorder(sx, sy)) continue;
    // Walk left and right along the row, then queue the rows above and below.
    int left = sx, right = sx;
    while (left > 0 && !isBorder(left - 1, sy) && !done[static_cast<size_t>(sy) * w + left - 1]) --left;
    while (right < w - 1 && !isBorder(right + 1, sy) && !done[static_cast<size_t>(sy) * w + right + 1]) ++right;
    for (int px = left; px <= right; ++px) {
      done[static_cast<size_t>(sy) * w + px] = 1;
      SetPixel(px, sy, fill);
      if (sy > 0) stack.emplace_back(px, sy - 1);
      if (sy < h - 1) stack.emplace_back(px, sy + 1);
    }
  }
  Changed();
}
