#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {
namespace {

ClipboardAnswerer& clipboardAnswerer() {
    static ClipboardAnswerer answerer;
    return answerer;
}

}  // namespace

bool SetClipboardImage(const QImage& image) {
    if (image.isNull()) return false;
    if (const auto& answerer = clipboardAnswerer()) return answerer(image);
    // Without a GUI application there is no clipboard to talk to.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setImage(image);
    return true;
}

ClipboardAnswerer SetClipboardAnswerer(ClipboardAnswerer answerer) {
    ClipboardAnswerer previous = std::move(clipboardAnswerer());
    clipboardAnswerer() = std::move(answerer);
    return previous;
}

}  // namespace platform
