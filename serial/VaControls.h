#pragma once
// The unit VaControls: the base of the component's display controls. It adds
// four optional handlers, each called after the control's own handling of
// the notification, and a repaint request that is skipped while loading.
// The controls here are not widgets: a display that wants to show something
// draws through its own window in Paint.
#include <functional>

#include "serial/VaClasses.h"

class TVaGraphicControl;
using TVaControlNotifyEvent = std::function<void(TVaGraphicControl* Sender)>;

class TVaGraphicControl : public TVaComponent {
public:
  using TVaComponent::TVaComponent;

  TVaControlNotifyEvent OnMouseEnter;
  TVaControlNotifyEvent OnMouseLeave;
  TVaControlNotifyEvent OnFontChanged;
  TVaControlNotifyEvent OnTextChanged;

  // Notifications from the window system or the owner.
  void MouseEnter();
  void MouseLeave();
  void FontChanged();
  void TextChanged();

  // Asks for a repaint now; does nothing while the control is being loaded.
  void Repaint();

protected:
  virtual void Paint() {}

private:
  static void Fire(const TVaControlNotifyEvent& handler, TVaGraphicControl* sender);
};
