#include "SwingDrawing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace cliptools {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A repeatable pseudo-random stream (noise, shake, scenery).
struct Random {
    std::uint32_t state;
    explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * (next() % 100000) / 100000.0; }
};

// Arm angle from straight down (radians; negative is the backswing side) at time t.
double armAngle(const SwingScript& s, double t) {
    const double backTop = 2.4;
    const double finishAngle = 2.6;
    if (!s.swing || t <= s.address) return 0;
    if (t <= s.top) return -backTop * (1 - std::cos(kPi * (t - s.address) / (s.top - s.address))) / 2;
    // From rest at the top, speeding up all the way to the ball.
    if (t <= s.impact) return -backTop * std::cos(kPi / 2 * (t - s.top) / (s.impact - s.top));
    if (t <= s.finish) return finishAngle * std::sin(kPi / 2 * (t - s.impact) / (s.finish - s.impact));
    return finishAngle;
}

}  // namespace

int SwingScript::FrameAt(double seconds) const {
    return int(std::lround(seconds * fps));
}

QImage DrawSwing(const SwingScript& s, int frameNumber) {
    const double t = frameNumber / s.fps;
    QImage img(s.width, s.height, QImage::Format_RGB32);
    // Shaken, the scenery's seams fall between pixels and blend with what lay there before.
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s.width / 320.0, s.height / 240.0);

    Random shake(s.seed * 7919u + std::uint32_t(frameNumber));
    if (s.shake > 0) p.translate(shake.uniform(-s.shake, s.shake), shake.uniform(-s.shake, s.shake));

    // Scenery with texture, so that a moving camera moves something.
    p.fillRect(QRectF(-40, -40, 400, 170), QColor(150, 190, 230));
    p.fillRect(QRectF(-40, 130, 400, 150), QColor(70, 140, 60));
    Random scenery(s.seed);
    for (int i = 0; i < 40; ++i) {
        const double x = scenery.uniform(-30, 350), y = scenery.uniform(60, 220);
        const int g = int(scenery.uniform(40, 200));
        p.fillRect(QRectF(x, y, scenery.uniform(4, 18), scenery.uniform(4, 30)), QColor(g / 2, g, g / 3));
    }

    // Someone walking across the background.
    if (s.walker) {
        const double wx = -30 + 380 * t / s.length;
        const double stride = std::sin(t * 2 * kPi * 1.6) * 6;
        p.setPen(QPen(QColor(120, 60, 40), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(wx, 96), QPointF(wx, 116));
        p.drawLine(QPointF(wx, 116), QPointF(wx + stride, 134));
        p.drawLine(QPointF(wx, 116), QPointF(wx - stride, 134));
        p.drawLine(QPointF(wx, 100), QPointF(wx - stride, 114));
        p.setBrush(QColor(230, 190, 160));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(wx, 90), 5, 5);
    }

    // The golfer: the weight moves a little towards the target in the downswing.
    const double a = armAngle(s, t);
    const double shift = a > -2.4 && t > s.top ? 3.0 * (1 - std::abs(a) / 2.4) : 0;
    const QPointF hips(160 + shift, 165), shoulders(160 + shift, 118);
    p.setPen(QPen(QColor(30, 40, 110), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hips, QPointF(145, 226));
    p.drawLine(hips, QPointF(175, 226));
    p.setPen(QPen(QColor(200, 60, 50), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hips, shoulders);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 190, 160));
    p.drawEllipse(shoulders + QPointF(0, -17), 10, 10);

    // Arms, then the club cocked further the same way.
    const QPointF hands = shoulders + QPointF(48 * std::sin(a), 48 * std::cos(a));
    const double c = 1.5 * a;
    const QPointF head = hands + QPointF(58 * std::sin(c), 58 * std::cos(c));
    p.setPen(QPen(QColor(230, 190, 160), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(shoulders, hands);
    p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hands, head);
    p.setPen(QPen(QColor(20, 20, 20), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(head, head + QPointF(6, 0));

    // The ball waits at the club head until impact, then flies off.
    const QPointF ball(163, 228);
    const double flight = t - s.impact;
    if (!s.swing || flight <= 0)
        p.setBrush(Qt::white), p.drawEllipse(ball, 3, 3);
    else if (flight < 0.3)
        p.setBrush(Qt::white), p.setPen(Qt::NoPen), p.drawEllipse(ball + QPointF(flight * 700, -flight * 400), 3, 3);
    p.end();

    if (s.noise > 0) {
        Random grain(s.seed * 31u + std::uint32_t(frameNumber) * 977u);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int d = int(grain.next() % unsigned(2 * s.noise + 1)) - s.noise;
                const QRgb px = line[x];
                line[x] = qRgb(std::clamp(qRed(px) + d, 0, 255), std::clamp(qGreen(px) + d, 0, 255),
                               std::clamp(qBlue(px) + d, 0, 255));
            }
        }
    }
    return img;
}

}  // namespace cliptools
