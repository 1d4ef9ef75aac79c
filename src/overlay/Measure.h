#pragma once
// Lengths and angles of the overlay marks, their label texts and the ruler calibration.
// Pure computation apart from the calibration prompt (through the input-box seam) and the
// label text drawn into a canvas image; no widgets.
//
// Lengths are single precision and angles use 57.295 degrees per radian on purpose: the
// label texts depend on exactly this arithmetic.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

inline constexpr double kPi = 3.14159265358979;
inline constexpr double kDegreesPerRadian = 57.295;

// Nearest integer, ties to even; a value that does not fit 32 bits (or is not a number)
// raises "Overflow" like the runtime's conversion.
long RoundToLong(double value);

// Length in metres of a segment in picture pixels: the root is rounded to single precision,
// multiplied by the scale and rounded to single precision again.
float SegmentLength(double x1, double y1, double x2, double y2, float metresPerPixel);

// Quadrant-correct arctangent in radians.
double ArcTan2(double y, double x);

// Angle at the middle point P2 between the arms to P1 and P3, in degrees, 0..180;
// -1 when the arithmetic fails (an argument that is not a finite number).
double ThreePointAngle(double x1, double x2, double x3, double y1, double y2, double y3);

// The "##.##" pattern: two decimals (halves away from zero), no leading zero, the locale's
// decimal separator always written, trailing zeros dropped.
QString FormatLengthPattern(double value);
// The "###" pattern: a whole number (halves away from zero); zero gives an empty text.
QString FormatAnglePattern(double value);

// "##.##" of the value followed by " m"; a value that rounds to nothing reads "0 m", never a
// lone separator.
QString LengthLabel(double metres);
// The label of a line between two picture points: its length in whole picture pixels ("250 px")
// while the ruler is not set (scale 0), otherwise in metres by LengthLabel.
QString LineLabel(double x1, double y1, double x2, double y2, float metresPerPixel);

// The text an angle stores: "###" of the angle.
QString AngleText(double degrees);
// The whole number an angle text holds; an empty or unreadable text counts as 0.
int AngleTextValue(const QString& angleText);
// The readout text of an angle: "###" followed by " deg".
QString AngleReadoutText(double degrees);

// A number typed by the user: trimmed, read with the user's locale, then the C locale.
// Empty, non-numeric, NaN, infinite or beyond single precision gives no value.
std::optional<float> ReadUserNumber(const QString& text);

// Font and colour of text printed on the canvas.
struct CanvasTextStyle {
    QFont font;
    QColor color = Qt::black;
};

// The pixel size of labels on a canvas `canvasHeight` pixels high: large enough to read at a
// glance on a big canvas, never below 12 pixels.
int LabelPixelSize(int canvasHeight);
// The outline that keeps a label readable on any background: black around light colours,
// white around dark ones.
QColor ContrastOf(const QColor& color);

// Prints labels through one painter: the text in a colour of the caller's over a thin outline
// of its contrast colour, in the style's font (its pixel size already chosen).
class CanvasTextPrinter {
public:
    // Labels already drawn, kept across redraws (drawing the outlined text costs far more than
    // placing its picture); one cache belongs to one font.
    // Each label is kept cropped to its outlined text, with where that lies from the corner.
    struct Sprite {
        QImage image;
        QPoint offset;
    };
    using LayoutCache = QHash<QString, Sprite>;

    CanvasTextPrinter(QPainter& painter, const CanvasTextStyle& style, LayoutCache* cache = nullptr);
    // Text with its outline's top-left corner at (x, y).
    void Print(int x, int y, const QString& text, const QColor& color);

private:
    Sprite render(const QString& text, const QColor& color) const;

    QPainter& painter_;
    QFont font_;
    int margin_ = 1;
    LayoutCache* cache_ = nullptr;
};

// Shows an angle on the readout ("###" + " deg", made visible) and prints "###" of the value
// at (x, y) in the given colour.
using AngleReadout = std::function<void(const QString& text)>;
void ShowAngleLabel(const AngleReadout& readout, double value, CanvasTextPrinter& printer, int x, int y,
                    const QColor& color);

// The two ruler points and how many are placed.
struct RulerState {
    float RulerX[2] = {0, 0};
    float RulerY[2] = {0, 0};
    short RulerClicks = 0;
};

// Asks for the real distance between the two ruler points ("Enter distance in Meters",
// "Ruler Measurements") and sets the scale. Returns false and leaves the scale unchanged when
// the answer is not a number, when the points coincide, or when the scale would not be finite.
bool CalibrateRuler(RulerState& ruler, float& metresPerPixel);
// The same rule for a given answer, without asking.
bool ApplyCalibration(const QString& answer, RulerState& ruler, float& metresPerPixel);
