#pragma once
// The font family Qt is given for the family a window or picture asks for.
// Windows keeps "MS Sans Serif" as a raster font that Qt does not draw with;
// Qt then fell back to whatever its default resolved to, which on one PC
// dropped the capital I at 8 points. "Microsoft Sans Serif" is the raster
// font's outline twin with the same metrics on every Windows PC.
#include <QString>

// "Microsoft Sans Serif" for "MS Sans Serif" on Windows; every other family,
// and every family elsewhere (fontconfig finds its own match), as asked.
QString FontFamily(const QString& asked);
