// Writes the game's pictures: the tile strip, the sprite sheet, the title
// picture and the window icon (also at 128 and 256 pixels and as an SVG for
// the desktop).
// The output is the same on every run.
//
//   gen_pictures [folder]     (default: assets of the source tree)
#include "gen_pictures.h"

#include <QFile>
#include <QString>

#include <cstdio>

#ifndef SNAKE_ASSETS_DIR
#define SNAKE_ASSETS_DIR "assets"
#endif

namespace {

bool Save(const QImage& image, const QString& folder, const char* name)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    // Opaque pictures are stored as plain 24-bit RGB.
    const QImage out = image.hasAlphaChannel() ? image : image.convertToFormat(QImage::Format_RGB888);
    if (!out.save(path, "PNG")) {
        std::fprintf(stderr, "gen_pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%d x %d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

bool SaveText(const QByteArray& text, const QString& folder, const char* name)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        std::fprintf(stderr, "gen_pictures: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(file.fileName()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SNAKE_ASSETS_DIR);

    const QImage strip = MakeTileStrip();
    const QImage sheet = MakeSpriteSheet();
    // The larger icons are for the desktop's menus and software centres only,
    // so they lie in icons/, outside the pictures built into the game.
    const bool ok = Save(strip, folder, "tiles.png") && Save(sheet, folder, "sprites.png") &&
                    Save(MakeTitle(strip, sheet), folder, "title.png") && Save(MakeIcon(64), folder, "icon.png") &&
                    Save(MakeIcon(128), folder, "icons/128.png") && Save(MakeIcon(256), folder, "icons/256.png") &&
                    SaveText(MakeIconSvg(), folder, "icons/scalable.svg");
    return ok ? 0 : 1;
}
