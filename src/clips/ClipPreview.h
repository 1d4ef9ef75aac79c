#pragma once
// The first frame of a clip, for the preview pane of the open dialog. Quiet: a clip that
// cannot be read gives a null picture and no message.

#include <QImage>
#include <QString>

QImage ClipFirstFrame(const QString& path);
