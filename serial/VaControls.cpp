#include "serial/VaControls.h"

void TVaGraphicControl::Fire(const TVaControlNotifyEvent& handler, TVaGraphicControl* sender) {
  if (handler) handler(sender);
}

void TVaGraphicControl::MouseEnter() { Fire(OnMouseEnter, this); }
void TVaGraphicControl::MouseLeave() { Fire(OnMouseLeave, this); }

void TVaGraphicControl::FontChanged() {
  Repaint();
  Fire(OnFontChanged, this);
}

void TVaGraphicControl::TextChanged() {
  Repaint();
  Fire(OnTextChanged, this);
}

void TVaGraphicControl::Repaint() {
  if (!Loading()) Paint();
}
