// Writes the program's icon as a PNG of the asked size, for the desktop's icon theme: the
// same drawing the program paints for its own windows.
//   varkelo_make_icon <file.png> <pixels>

#include "ui/Artwork.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Painting needs a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pixels = argc == 3 ? QByteArray(argv[2]).toInt() : 0;
    if (pixels <= 0) {
        std::fprintf(stderr, "usage: varkelo_make_icon <file.png> <pixels>\n");
        return 2;
    }
    const QPixmap icon = AppIcon().pixmap(pixels, pixels);
    if (icon.width() != pixels || icon.height() != pixels) {
        std::fprintf(stderr, "varkelo_make_icon: the icon has no %d px form\n", pixels);
        return 1;
    }
    return icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
