// Feeds arbitrary bytes to the picture reader and, when it accepts them, into an image
// buffer and back out as a packed bitmap, as loading a picture does.

#include "clips/PictureReader.h"
#include "imaging/cDIBSection.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const PictureResult result = ReadPicture(&buffer);
    if (result.picture.isNull()) return 0;
    cDIBSection dib;
    if (dib.CreateFromPicture(result.picture)) (void)dib.PackedDIB();
    return 0;
}
