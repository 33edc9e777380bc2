#include "shell/TForm8.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* owner) : TForm(owner, 655, 435, FormBorder::None) {}
