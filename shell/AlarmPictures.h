#pragma once
// The tray icon's pictures, drawn in code: a square in the state's colour
// with a white sign (a tick, "!", a cross, a dash, dots).
#include <QColor>
#include <QIcon>
#include <QImage>

#include "shell/AlarmTexts.h"

// The colour that fills most of the picture: what a screenshot of the tray is checked for.
QColor AlarmColour(AlarmLook look);
QImage AlarmPicture(AlarmLook look, int size);
// The picture at the sizes trays ask for.
QIcon AlarmIcon(AlarmLook look);
