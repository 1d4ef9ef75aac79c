#pragma once
// Export Picture: the canvas's picture composed once more at the frame's own resolution, so
// a large clip is not cut down to the window's size, and written to disk all or nothing.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

class QPainter;

// What the canvas shows, as the compositor built it: the holders keep the shown regions of
// the frames with their effects already applied.
struct PictureScene {
    const QImage* frameHolder = nullptr;  // video 1's shown region, at frameSource
    QRect frameSource;
    QRect frameCanvas;  // where that region lands on the canvas
    QColor background = Qt::black;
    bool split = false;  // the model in the right half instead of blended over video 1
    bool modelShown = false;
    const QImage* modelHolder = nullptr;  // the model's shown region, at modelSource
    QRect modelSource;
    // Split: the model's half on the canvas. Blend: where the model lands on its surface,
    // which is the canvas's size and filled with modelBackground elsewhere.
    QRect modelCanvas;
    QColor modelBackground = Qt::black;
    int blend = 0;  // 0..255, the model's weight in the blend
    // Draws the marks in canvas coordinates; the painter maps them onto the picture.
    std::function<void(QPainter&)> drawMarks;
};

class PictureExporter {
public:
    // The picture at video 1's resolution: the frame region one to one, the model and the
    // marks scaled by the same factor. Null when there is no frame.
    static QImage Compose(const PictureScene& scene);

    // The marks alone, where Compose would draw them, on a transparent picture of its size:
    // laid over each frame of a video export. Null without marks to draw.
    static QImage MarksLayer(const PictureScene& scene);

    // The name the picture is written under: one without ".png", ".jpg" or ".jpeg" gets ".png".
    static QString TargetName(const QString& chosen);

    // Writes `image` to `path` (PNG or JPEG by its extension) through a temporary file that
    // takes the name only once everything is written. Returns an empty string on success,
    // otherwise the message to show; the name then holds what it held before.
    static QString Write(const QImage& image, const QString& path);
};
