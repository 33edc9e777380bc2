#pragma once
// Drawing helpers shared by the background pictures: the classic raised and
// sunken frames, plain panels and gradients. Rectangles are given by their
// inclusive corners.
#include <QPainter>

// The frame colours of the raised and sunken look.
constexpr QRgb FrameLight = 0xFFFFFFFF;
constexpr QRgb FrameShadow = 0xFF808080;

// A picture of the given size painted in PictureGrey.
QImage GreyPicture(int width, int height);

// A two-tone frame: light on the top and left, shadow on the bottom and right
// (raised), or the other way round (sunken).
void Bevel(QPainter& p, int left, int top, int right, int bottom, bool raised);
// A sunken panel whose inside covers the rectangle; the frame lies around it.
void SunkenPanel(QPainter& p, int left, int top, int right, int bottom, QRgb fill);
// A groove (an etched line) from (left, y) to (right, y).
void EtchedLine(QPainter& p, int left, int right, int y);
// Fills the rectangle with a gradient from the top colour to the bottom colour.
void VerticalGradient(QPainter& p, int left, int top, int right, int bottom, QRgb topColor, QRgb bottomColor);
