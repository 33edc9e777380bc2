#pragma once
// An empty borderless window that is created at start and never shown.
#include "views/Form.h"

class TForm8 : public TForm {
public:
  explicit TForm8(QWidget* owner);
};

extern TForm8* Form8;
