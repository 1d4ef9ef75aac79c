#include "overlay/Measure.h"

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// round(|value| * 10^decimals), halves away from zero, as a string of decimal digits without
// leading zeros ("" for zero). The value is taken at 15 significant digits, as the runtime's
// formatting does, so 1.005 rounds to 1.01 although its binary value lies just below.
std::string roundedDigits(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string mantissa;
    mantissa += buf[0];
    mantissa.append(buf + 2, 14);  // 15 significant digits, the point dropped
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // The digits before the rounding position: the integer part has exponent + 1 digits.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) return {};
    std::string kept = mantissa.substr(0, std::min<std::size_t>(std::size_t(keep), mantissa.size()));
    if (int(kept.size()) < keep) kept.append(std::size_t(keep) - kept.size(), '0');
    const char roundDigit = keep < int(mantissa.size()) ? mantissa[std::size_t(keep)] : '0';
    if (roundDigit >= '5') {
        int i = int(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[std::size_t(i)] == '9') {
                kept[std::size_t(i)] = '0';
            } else {
                ++kept[std::size_t(i)];
                break;
            }
        }
        if (i < 0) kept.insert(kept.begin(), '1');
    }
    const auto first = kept.find_first_not_of('0');
    return first == std::string::npos ? std::string() : kept.substr(first);
}

// Reads a number with the user's locale, then with the C locale.
std::optional<double> readNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    double v = QLocale().toDouble(trimmed, &ok);
    if (!ok) v = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

long RoundToLong(double value) {
    // Anything that would not round into 32 bits, NaN included, is an overflow.
    if (!(value >= -2147483648.5 && value < 2147483647.5)) platform::Raise(platform::errOverflow);
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) platform::Raise(platform::errOverflow);
    return long(r);
}

float SegmentLength(double x1, double y1, double x2, double y2, float metresPerPixel) {
    const float root = float(std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2)));
    return float(root * metresPerPixel);
}

double ArcTan2(double y, double x) {
    const double q = x == 0 ? 0 : y / x;
    if (x == 0 || !std::isfinite(q)) {
        // The division fails: decide by which arm dominates.
        if (std::fabs(x) < std::fabs(y)) return y > 0 ? kPi / 2 : -kPi / 2;
        return 0;
    }
    double t = std::atan(q);
    if (x < 0) t = y < 0 ? t - kPi : t + kPi;
    return t;
}

double ThreePointAngle(double x1, double x2, double x3, double y1, double y2, double y3) {
    for (double v : {x1, x2, x3, y1, y2, y3})
        if (!std::isfinite(v)) return -1;
    const double dx1 = x2 - x1;
    const double dy1 = y2 - y1;
    const double dx2 = x3 - x2;
    const double dy2 = y3 - y2;
    if (!std::isfinite(dx1) || !std::isfinite(dy1) || !std::isfinite(dx2) || !std::isfinite(dy2)) return -1;
    const double a1 = ArcTan2(dy1, dx1) * kDegreesPerRadian;
    const double a2 = ArcTan2(dy2, dx2) * kDegreesPerRadian;
    double a = std::fabs(180 - a1 + a2);
    if (a > 180) a = std::fabs(360 - a);
    return a;
}

QString FormatLengthPattern(double value) {
    if (!std::isfinite(value)) return QLocale().toString(value);
    const std::string digits = roundedDigits(value, 2);
    const std::string padded = digits.size() < 2 ? std::string(2 - digits.size(), '0') + digits : digits;
    const std::string intPart = padded.substr(0, padded.size() - 2);
    std::string frac = padded.substr(padded.size() - 2);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    QString out;
    if (value < 0 && !digits.empty()) out += QLatin1Char('-');
    out += QString::fromStdString(intPart);
    out += QLocale().decimalPoint();
    out += QString::fromStdString(frac);
    return out;
}

QString FormatAnglePattern(double value) {
    if (!std::isfinite(value)) return QLocale().toString(value);
    const std::string digits = roundedDigits(value, 0);
    if (digits.empty()) return {};
    return (value < 0 ? QStringLiteral("-") : QString()) + QString::fromStdString(digits);
}

QString LengthLabel(double metres) {
    QString value = FormatLengthPattern(metres);
    if (value == QString(QLocale().decimalPoint())) value = QStringLiteral("0");
    return value + QStringLiteral(" m");
}

QString LineLabel(double x1, double y1, double x2, double y2, float metresPerPixel) {
    if (metresPerPixel == 0) {
        const float pixels = SegmentLength(x1, y1, x2, y2, 1.0f);
        return QString::number(std::isfinite(pixels) ? std::llround(pixels) : 0) + QStringLiteral(" px");
    }
    return LengthLabel(SegmentLength(x1, y1, x2, y2, metresPerPixel));
}

QString AngleText(double degrees) {
    return FormatAnglePattern(degrees);
}

int AngleTextValue(const QString& angleText) {
    const auto v = readNumber(angleText);
    if (!v || *v >= 2147483647.0 || *v < -2147483648.0) return 0;
    return int(std::floor(*v));
}

QString AngleReadoutText(double degrees) {
    return FormatAnglePattern(degrees) + QStringLiteral(" deg");
}

std::optional<float> ReadUserNumber(const QString& text) {
    const auto v = readNumber(text);
    if (!v) return std::nullopt;
    if (std::fabs(*v) > double(std::numeric_limits<float>::max())) return std::nullopt;
    return float(*v);
}

int LabelPixelSize(int canvasHeight) {
    return std::max(12, canvasHeight / 40);
}

QColor ContrastOf(const QColor& color) {
    const int luma = (299 * color.red() + 587 * color.green() + 114 * color.blue()) / 1000;
    return luma >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

CanvasTextPrinter::CanvasTextPrinter(QPainter& painter, const CanvasTextStyle& style, LayoutCache* cache)
    : painter_(painter), font_(style.font), cache_(cache) {
    margin_ = std::max(1, QFontInfo(font_).pixelSize() / 10);
}

CanvasTextPrinter::Sprite CanvasTextPrinter::render(const QString& text, const QColor& color) const {
    const QFontMetrics metrics(font_);
    const int m = margin_ + 1;
    QImage sprite(metrics.horizontalAdvance(text) + 2 * m, metrics.height() + 2 * m,
                  QImage::Format_ARGB32_Premultiplied);
    if (sprite.isNull()) return {};
    sprite.fill(Qt::transparent);
    QPainterPath path;
    path.addText(m, m + metrics.ascent(), font_, text);
    {
        QPainter p(&sprite);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.strokePath(path, QPen(ContrastOf(color), 2.0 * margin_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(path, color);
    }
    // Only the outlined glyphs are blended at each redraw, not the line height around them.
    const QRect used = path.boundingRect().toAlignedRect().adjusted(-m, -m, m, m) & sprite.rect();
    return {sprite.copy(used), used.topLeft()};
}

void CanvasTextPrinter::Print(int x, int y, const QString& text, const QColor& color) {
    if (text.isEmpty()) return;
    if (!cache_) {
        const Sprite sprite = render(text, color);
        painter_.drawImage(QPoint(x, y) + sprite.offset, sprite.image);
        return;
    }
    const QString key = text + QLatin1Char('\x1f') + QString::number(color.rgba(), 16);
    auto it = cache_->find(key);
    if (it == cache_->end()) {
        if (cache_->size() > 1024) cache_->clear();  // labels repeat; a bound keeps it small
        it = cache_->insert(key, render(text, color));
    }
    painter_.drawImage(QPoint(x, y) + it->offset, it->image);
}

void ShowAngleLabel(const AngleReadout& readout, double value, CanvasTextPrinter& printer, int x, int y,
                    const QColor& color) {
    if (readout) readout(AngleReadoutText(value));
    printer.Print(x, y, FormatAnglePattern(value), color);
}

bool ApplyCalibration(const QString& answer, RulerState& ruler, float& metresPerPixel) {
    const std::optional<float> m = ReadUserNumber(answer);
    if (!m) return false;
    const float dy = ruler.RulerY[0] - ruler.RulerY[1];
    const float dx = ruler.RulerX[0] - ruler.RulerX[1];
    const float d = float(std::sqrt(double(dy) * dy + double(dx) * dx));
    // Coincident points have no scale; keep the one there is.
    if (!(d > 0)) return false;
    const float scale = *m / d;
    if (!std::isfinite(scale)) return false;
    ruler.RulerClicks = 0;
    metresPerPixel = scale;
    return true;
}

bool CalibrateRuler(RulerState& ruler, float& metresPerPixel) {
    const QString answer =
        platform::InputBox(QStringLiteral("Enter distance in Meters"), QStringLiteral("Ruler Measurements"));
    return ApplyCalibration(answer, ruler, metresPerPixel);
}
