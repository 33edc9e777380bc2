#pragma once
// The unit VaDisplay: the abstract status display a port can be given as its
// Display. The port calls Refresh on every event dispatch, on the main thread.
// No display of this program uses it; it stays as the component's way to
// show a port's state in programs that want one.
#include "serial/VaControls.h"

class TVaCustomComm;

class TVaDisplay : public TVaGraphicControl {
public:
  using TVaGraphicControl::TVaGraphicControl;
  virtual void Refresh(TVaCustomComm* Comm) = 0;
};
