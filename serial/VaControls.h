#pragma once
// The unit VaControls: the base of the component's display controls. The
// controls here are not widgets: a display that wants to show something draws
// through its own window when the port refreshes it (VaDisplay.h).
#include "serial/VaClasses.h"

class TVaGraphicControl : public TVaComponent {
public:
  using TVaComponent::TVaComponent;
};
