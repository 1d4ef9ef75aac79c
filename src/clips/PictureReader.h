#pragma once
// Reads a still picture (BMP, JPEG) for the frame store. Damaged or hostile files are
// refused with a reason; nothing here throws or shows anything.

#include <QImage>
#include <QString>

class QIODevice;

struct PictureResult {
    QImage picture;  // null when refused
    QString error;   // why it was refused
};

PictureResult ReadPicture(const QString& path);
PictureResult ReadPicture(QIODevice* device);
