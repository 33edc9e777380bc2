#pragma once
// The drawing surface of every picture view: a QImage with the classic
// semantics the drawings assume. Pen, brush and font are state that stays in
// force until changed; lines exclude their end point; texts are placed at their
// top-left corner; flood fills spread up to a border colour. Nothing is
// anti-aliased, so fills stop exactly at drawn borders.
//
// Texts are code page 1252. A font height is the character cell height in
// pixels (ascent + descent). An optional draw log records every operation.
#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "views/Colors.h"

enum class BrushStyle { Solid, Clear };
enum class FontPitch { Default, Fixed, Variable };

struct DrawLogEntry {
  enum Operation { MoveTo, LineTo, Rectangle, TextOut, FloodFill };
  Operation op;
  int x = 0, y = 0;    // the point, the rectangle's first corner, the text's corner
  int x2 = 0, y2 = 0;  // the rectangle's second corner
  TColor color = 0;    // pen colour (lines, rectangles), font colour (text), brush colour (fill)
  int width = 1;       // pen width
  TColor border = 0;   // the fill's border colour
  std::string text;    // code page 1252
  std::string fontName;
  int fontHeight = 0;
  bool bold = false;
  bool transparent = false;  // text drawn with the brush style clear
};

class Canvas {
public:
  explicit Canvas(QImage* image = nullptr);

  void SetImage(QImage* image);
  QImage* Image() const { return image_; }
  // Pen black width 1, brush white solid, default font: a freshly loaded picture.
  void ResetState();

  void SetPenColor(TColor color) { penColor_ = color; }
  void SetPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
  void SetBrushColor(TColor color) { brushColor_ = color; }
  void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }
  void SetFontName(const std::string& name) { fontName_ = name; }
  void SetFontHeight(int height) { fontHeight_ = height; }
  void SetFontColor(TColor color) { fontColor_ = color; }
  void SetFontPitch(FontPitch pitch) { fontPitch_ = pitch; }
  void SetFontBold(bool bold) { fontBold_ = bold; }

  TColor PenColor() const { return penColor_; }
  int PenWidth() const { return penWidth_; }
  TColor BrushColor() const { return brushColor_; }
  BrushStyle GetBrushStyle() const { return brushStyle_; }
  const std::string& FontName() const { return fontName_; }
  int FontHeight() const { return fontHeight_; }
  TColor FontColor() const { return fontColor_; }
  bool FontBold() const { return fontBold_; }

  void MoveTo(int x, int y);
  // A line from the current position to (x, y), without the end point.
  void LineTo(int x, int y);
  // Outline with the pen, interior with the brush (unless clear); the right
  // and bottom edges lie one pixel inside (x2, y2).
  void Rectangle(int x1, int y1, int x2, int y2);
  void TextOut(int x, int y, const std::string& cp1252);
  // Fills, with the brush colour, every pixel 4-connected to (x, y) whose colour
  // is not the border colour.
  void FloodFill(int x, int y, TColor border);

  TColor Pixel(int x, int y) const;

  // The draw log: off until enabled; cleared by ClearLog.
  void EnableLog(bool on) { logging_ = on; }
  const std::vector<DrawLogEntry>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }

  // Called after each drawing operation (the picture control repaints).
  void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

private:
  void SetPixel(int x, int y, uint32_t argb);
  void DrawStraightLine(int x0, int y0, int x1, int y1, uint32_t argb);
  void Record(DrawLogEntry entry);
  void Changed();

  QImage* image_ = nullptr;
  int penX_ = 0, penY_ = 0;
  TColor penColor_ = Colors::Black;
  int penWidth_ = 1;
  TColor brushColor_ = Colors::White;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  std::string fontName_;
  int fontHeight_ = 13;
  TColor fontColor_ = Colors::Black;
  FontPitch fontPitch_ = FontPitch::Default;
  bool fontBold_ = false;
  bool logging_ = false;
  std::vector<DrawLogEntry> log_;
  std::function<void()> changed_;
};

// The pixel size of a font whose character cell (ascent + descent) is at most
// the given height.
int PixelSizeForCellHeight(const std::string& family, int cellHeight, bool bold);
