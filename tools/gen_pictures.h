#pragma once
// The game's pictures, drawn by code. Each function returns a finished image;
// gen_pictures writes them into assets/.
#include <QByteArray>
#include <QImage>

// 128 x 10 tile strip: wall, green apple, red apple, then white.
QImage MakeTileStrip();
// 142 x 50 snake sprite sheet: 5 colour rows of 14 tiles.
QImage MakeSpriteSheet();
// size x size window icon: one snake head, transparent around it.
QImage MakeIcon(int size);
// The same icon as an SVG document.
QByteArray MakeIconSvg();
// 300 x 300 title picture composed from the strip and the sheet.
QImage MakeTitle(const QImage& strip, const QImage& sheet);
