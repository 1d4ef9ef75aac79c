// Draws and encodes the two sample clips shipped beside the program: a swing and a
// model swing, face-on, so that a first start has something to open and compare.
//   varkelo_make_samples <folder>

#include "ClipWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QTransform>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

struct SwingStyle {
    QColor shirt;
    QColor trousers;
    double topAngle;     // arm angle at the top of the backswing, degrees from straight down
    double finishAngle;  // arm angle at the finish (negative: through to the other side)
    int frames;
    int backswingEnd;  // frame of the top
    int impact;        // frame of impact
    int finish;        // frame the finish is reached
};

double smooth(double t) {
    return t * t * (3 - 2 * t);
}

// Arm angle (from straight down, positive = backswing side) and wrist hinge at frame f.
void pose(const SwingStyle& s, int f, double* arm, double* hinge) {
    const int address = 6;
    if (f <= address) {
        *arm = 0;
        *hinge = 0;
    } else if (f <= s.backswingEnd) {
        const double t = smooth(double(f - address) / (s.backswingEnd - address));
        *arm = s.topAngle * t;
        *hinge = 90 * smooth(std::min(1.0, t * 1.4));
    } else if (f <= s.impact) {
        const double t = double(f - s.backswingEnd) / (s.impact - s.backswingEnd);
        const double accel = t * t;  // the downswing speeds up into impact
        *arm = s.topAngle * (1 - accel);
        *hinge = 90 * (1 - std::pow(t, 3));
    } else if (f <= s.finish) {
        const double t = smooth(double(f - s.impact) / (s.finish - s.impact));
        *arm = s.finishAngle * t;
        *hinge = -100 * t;
    } else {
        *arm = s.finishAngle;
        *hinge = -100;
    }
}

QImage drawFrame(const SwingStyle& s, int f, int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double groundY = h * 0.82;
    QLinearGradient sky(0, 0, 0, groundY);
    sky.setColorAt(0, QColor(120, 170, 225));
    sky.setColorAt(1, QColor(200, 225, 245));
    p.fillRect(QRectF(0, 0, w, groundY), sky);
    QLinearGradient grass(0, groundY, 0, h);
    grass.setColorAt(0, QColor(70, 140, 60));
    grass.setColorAt(1, QColor(40, 100, 40));
    p.fillRect(QRectF(0, groundY, w, h - groundY), grass);
    // Tree line on the horizon.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 95, 55));
    for (int i = 0; i < 12; ++i) p.drawEllipse(QPointF(i * w / 11.0, groundY - h * 0.05), w * 0.07, h * 0.06);
    p.fillRect(QRectF(0, groundY - h * 0.02, w, h * 0.02), QColor(60, 120, 55));
    // A one-metre alignment stick on the ground, handy for calibrating the ruler.
    const double unit = h / 3.0;  // pixels per metre
    p.setPen(QPen(QColor(250, 220, 40), h * 0.012, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w * 0.08, h * 0.93), QPointF(w * 0.08 + unit, h * 0.93));

    double arm = 0, hinge = 0;
    pose(s, f, &arm, &hinge);
    const QPointF feet(w * 0.5, groundY);
    const double legLen = unit * 0.85, torso = unit * 0.6, armLen = unit * 0.62;
    // Hips turn a little with the swing: shift the pelvis sideways.
    const double turn = std::sin(std::clamp(arm, -180.0, 180.0) * kDeg * 0.5);
    const QPointF hips(feet.x() + turn * unit * 0.05, feet.y() - legLen);
    const QPointF neck(hips.x() + turn * unit * 0.04, hips.y() - torso);
    const QPointF chest(neck.x(), neck.y() + torso * 0.12);
    // The club just reaches the ball from the hands' address position.
    const double club = feet.y() - (chest.y() + armLen) - h * 0.01;
    const double a = arm * kDeg;
    const QPointF hands(chest.x() - std::sin(a) * armLen, chest.y() + std::cos(a) * armLen);
    const double c = (arm + hinge) * kDeg;
    const QPointF head(hands.x() - std::sin(c) * club, hands.y() + std::cos(c) * club);

    const double stroke = h * 0.026;
    auto limb = [&](QPointF a1, QPointF a2, const QColor& col, double width) {
        p.setPen(QPen(col, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a1, a2);
    };
    // Legs, torso, arms, head.
    limb(hips, QPointF(feet.x() - unit * 0.22, feet.y()), s.trousers, stroke * 1.3);
    limb(hips, QPointF(feet.x() + unit * 0.22, feet.y()), s.trousers, stroke * 1.3);
    limb(hips, neck, s.shirt, stroke * 2.2);
    const QPointF lShoulder(neck.x() - unit * 0.12, neck.y() + stroke * 0.4);
    const QPointF rShoulder(neck.x() + unit * 0.12, neck.y() + stroke * 0.4);
    limb(lShoulder, rShoulder, s.shirt, stroke * 1.4);
    limb(lShoulder, hands, s.shirt.darker(115), stroke);
    limb(rShoulder, hands, s.shirt.darker(115), stroke);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 190, 150));
    p.drawEllipse(QPointF(neck.x(), neck.y() - unit * 0.13), unit * 0.1, unit * 0.115);
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(QPointF(neck.x(), neck.y() - unit * 0.2), unit * 0.105, unit * 0.05);  // cap
    // Club: shaft and head.
    limb(hands, head, QColor(60, 60, 60), h * 0.008);
    limb(head, QPointF(head.x() - std::cos(c) * unit * 0.07, head.y() - std::sin(c) * unit * 0.07),
         QColor(30, 30, 30), h * 0.02);
    // Ball: on the tee until impact, then flying off.
    QPointF ball(feet.x(), feet.y() - h * 0.012);
    if (f > s.impact) ball += QPointF(-(f - s.impact) * w * 0.08, -(f - s.impact) * h * 0.05);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(180, 180, 180), 1));
    p.drawEllipse(ball, h * 0.012, h * 0.012);
    return img;
}

bool write(const QString& path, const SwingStyle& s) {
    cliptools::ClipRecipe clipFormat;
    clipFormat.width = 640;
    clipFormat.height = 480;
    clipFormat.fps = 25;
    clipFormat.codec = cliptools::Codec::MJPEG;
    QString error;
    if (!cliptools::WriteClip(
            path, clipFormat, s.frames,
            [&](int f) { return drawFrame(s, f, clipFormat.width, clipFormat.height); }, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    return true;
}

}  // namespace

// A clip as phones write it: H.264 with B-frames in an MP4 or MOV. An upright one is drawn
// standing and stored turned a quarter to the left, with the display matrix turning it back.
bool writePhone(const QString& path, const SwingStyle& s, bool upright) {
    cliptools::ClipRecipe clipFormat;
    clipFormat.width = 640;
    clipFormat.height = 360;
    clipFormat.codec = cliptools::Codec::H264;
    clipFormat.bFrames = 2;
    clipFormat.rotation = upright ? 90 : 0;
    QString error;
    const auto frame = [&](int f) {
        if (!upright) return drawFrame(s, f, 640, 360);
        return drawFrame(s, f, 360, 640).transformed(QTransform().rotate(-90));
    };
    if (!cliptools::WriteClip(path, clipFormat, s.frames, frame, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    return true;
}

int main(int argc, char* argv[]) {
    // Fonts and painting need a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: varkelo_make_samples <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) return 1;
    const SwingStyle swing{QColor(200, 60, 50), QColor(60, 60, 70), 150, -160, 60, 30, 38, 48};
    const SwingStyle model{QColor(40, 90, 170), QColor(230, 230, 225), 165, -175, 60, 28, 34, 44};
    // --sheet <png>: also draw a contact sheet of key frames, for looking at the drawing.
    if (argc >= 4 && QByteArray(argv[2]) == "--sheet") {
        QImage sheet(4 * 320, 2 * 240, QImage::Format_RGB888);
        QPainter p(&sheet);
        const int keys[4] = {0, 30, 38, 59};
        for (int i = 0; i < 4; ++i) {
            p.drawImage(QRect(i * 320, 0, 320, 240), drawFrame(swing, keys[i], 640, 480));
            p.drawImage(QRect(i * 320, 240, 320, 240), drawFrame(model, keys[i], 640, 480));
        }
        p.end();
        return sheet.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    }
    // --phone: a landscape MP4 and an upright MOV instead, for tests.
    if (argc >= 3 && QByteArray(argv[2]) == "--phone")
        return writePhone(dir.filePath("landscape.mp4"), swing, false) &&
                       writePhone(dir.filePath("upright.mov"), swing, true)
                   ? 0
                   : 1;
    const bool ok = write(dir.filePath("swing.avi"), swing) && write(dir.filePath("model_swing.avi"), model);
    return ok ? 0 : 1;
}
