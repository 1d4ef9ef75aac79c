#pragma once
// A clip of numbered frames for a test, written into `folder`; the test stops when it
// cannot be written.

#include "ClipWriter.h"

#include <QDir>
#include <QString>

inline QString WriteNumberedClip(const QString& folder, const QString& name, int frames,
                                 const cliptools::ClipRecipe& recipe) {
    const QString path = QDir(folder).filePath(name);
    QString error;
    if (!cliptools::WriteClip(
            path, recipe, frames,
            [&](int i) { return cliptools::NumberedFrame(i, recipe.width, recipe.height); }, &error))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(error));
    return path;
}

inline QString WriteNumberedClip(const QString& folder, const QString& name, int frames, int width = 320,
                                 int height = 240, cliptools::Codec codec = cliptools::Codec::MJPEG) {
    return WriteNumberedClip(folder, name, frames, {.width = width, .height = height, .codec = codec});
}
