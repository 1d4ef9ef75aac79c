#pragma once
// Lengths and angles of the overlay marks, their label texts and the ruler calibration.
// Pure computation apart from the calibration prompt (through the input-box seam) and the
// label text drawn into a canvas image; no widgets.
//
// Lengths are single precision and angles use 57.295 degrees per radian on purpose: the
// stored label texts depend on exactly this arithmetic.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

inline constexpr double kPi = 3.14159265358979;
inline constexpr double kDegreesPerRadian = 57.295;

// Nearest integer, ties to even; a value that does not fit 32 bits (or is not a number)
// raises "Overflow" like the runtime's conversion.
long RoundToLong(double value);

// Length in metres of a segment in canvas pixels: the root is rounded to single precision,
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

// The text a line stores for its length: up to 7 significant digits, the locale's separator.
QString LengthText(float metres);
// "##.##" of the value followed by " m".
QString LengthLabel(double metres);
// The label of a stored length text; a text that is not a number labels as 0.
QString LengthLabelOfText(const QString& lengthText);

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

// Prints text with its top-left corner at (x, y), transparent background.
void PrintCanvasText(QImage& canvas, const CanvasTextStyle& style, int x, int y, const QString& text);
void PrintCanvasText(QPainter& painter, const CanvasTextStyle& style, int x, int y, const QString& text);

// Prints labels through one painter, its font chosen once (choosing a font per label costs
// more than drawing it).
class CanvasTextPrinter {
public:
    // Laid-out texts kept across redraws (the layout costs far more than the drawing); the
    // cache belongs to one font.
    using LayoutCache = QHash<QString, QStaticText>;

    CanvasTextPrinter(QPainter& painter, const CanvasTextStyle& style, LayoutCache* cache = nullptr);
    // Text with its top-left corner at (x, y). The painter's pen becomes the text colour.
    void Print(int x, int y, const QString& text);

private:
    QPainter& painter_;
    QColor color_;
    int ascent_ = 0;
    LayoutCache* cache_ = nullptr;
};

// Shows an angle on the readout ("###" + " deg", made visible) and prints "###" of the value
// on the canvas at (x, y).
using AngleReadout = std::function<void(const QString& text)>;
void ShowAngleLabel(const AngleReadout& readout, double value, QImage& canvas, const CanvasTextStyle& style,
                    int x, int y);
void ShowAngleLabel(const AngleReadout& readout, double value, CanvasTextPrinter& printer, int x, int y);

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
