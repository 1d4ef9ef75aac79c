#pragma once
// The system clipboard behind one seam. The program calls SetClipboardImage; tests install
// an answerer that records the picture instead of touching the real clipboard.

#include <QImage>

#include <functional>

namespace platform {

// Puts a picture on the clipboard; true when the clipboard accepted it.
bool SetClipboardImage(const QImage& image);

using ClipboardAnswerer = std::function<bool(const QImage&)>;

// Replaces the real clipboard (tests). An empty function restores it. Returns the previous one.
ClipboardAnswerer SetClipboardAnswerer(ClipboardAnswerer answerer);

}  // namespace platform
