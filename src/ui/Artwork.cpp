#include "ui/Artwork.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace {

// ---------------------------------------------------------------------------------------------
// Palette and grid shared by every icon.

const QColor kInk(0x25, 0x31, 0x3b);
const QColor kInkSoft(0x5b, 0x67, 0x70);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperShade(0xdf, 0xe6, 0xee);
const QColor kBlue(0x1e, 0x7f, 0xd9);
const QColor kBlueDark(0x15, 0x5c, 0xa8);
const QColor kBlueLight(0xcd, 0xe4, 0xfa);
const QColor kGreen(0x2e, 0x9d, 0x57);
const QColor kGreenLight(0xcf, 0xef, 0xd9);
const QColor kAmber(0xf2, 0xa3, 0x1f);
const QColor kAmberLight(0xff, 0xe3, 0xa3);
const QColor kRedLight(0xf8, 0xc4, 0xc4);

constexpr qreal kGrid = 24.0;    // icons are designed on a 24 x 24 grid
constexpr qreal kStroke = 1.75;  // the one outline weight, in grid units
constexpr int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 96};

QPen InkPen(qreal width = kStroke, const QColor& color = kInk) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Fills with `fill` and outlines in ink.
void Shape(QPainter& p, const QColor& fill) {
    p.setPen(InkPen());
    p.setBrush(fill);
}

void Dot(QPainter& p, QPointF at, qreal radius, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(at, radius, radius);
}

// Solid ink triangle with softly rounded corners (media buttons).
void SolidTriangle(QPainter& p, QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.setPen(InkPen(1.5));
    p.setBrush(kInk);
    p.drawPath(path);
}

// A pencil lying along the line from its point to its far end.
void Pencil(QPainter& p, QPointF tip, QPointF end) {
    const QLineF axis(tip, end);
    const qreal length = axis.length();
    const qreal half = 2.3;
    p.save();
    p.translate(tip);
    p.rotate(-axis.angle());
    QPainterPath cone;
    cone.moveTo(0, 0);
    cone.lineTo(4.2, -half);
    cone.lineTo(4.2, half);
    cone.closeSubpath();
    Shape(p, kPaper);
    p.drawPath(cone);
    Shape(p, kAmber);
    p.drawRect(QRectF(4.2, -half, length - 7.4, 2 * half));
    Shape(p, kRedLight);
    p.drawRoundedRect(QRectF(length - 3.2, -half, 3.2, 2 * half), 0.8, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    QPainterPath lead;
    lead.moveTo(-0.3, 0);
    lead.lineTo(1.6, -0.95);
    lead.lineTo(1.6, 0.95);
    lead.closeSubpath();
    p.drawPath(lead);
    p.restore();
}

// Head-and-shoulders figure standing for a person in a clip.
void Bust(QPainter& p, QPointF head, qreal headRadius, qreal shoulderHalf, qreal bottom) {
    QPainterPath body;
    const qreal top = head.y() + headRadius + 1.4;
    body.moveTo(head.x() - shoulderHalf, bottom);
    body.cubicTo(head.x() - shoulderHalf, top - 0.6, head.x() + shoulderHalf, top - 0.6,
                 head.x() + shoulderHalf, bottom);
    Shape(p, kBlueLight);
    p.drawPath(body);
    Shape(p, kPaper);
    p.drawEllipse(head, headRadius, headRadius);
}

// A window outline with a title bar line; returns the client rectangle below the bar.
QRectF WindowFrame(QPainter& p, const QColor& fill) {
    const QRectF frame(2.75, 4.25, 18.5, 15.5);
    Shape(p, fill);
    p.drawRoundedRect(frame, 2, 2);
    p.setPen(InkPen());
    p.drawLine(QPointF(frame.left(), 8.25), QPointF(frame.right(), 8.25));
    return QRectF(frame.left(), 8.25, frame.width(), frame.bottom() - 8.25);
}

// ---------------------------------------------------------------------------------------------
// Main toolbar.

void DrawOpenVideo(QPainter& p) {
    QPainterPath folder;
    folder.moveTo(2.75, 5.0);
    folder.lineTo(9.0, 5.0);
    folder.lineTo(11.0, 7.25);
    folder.lineTo(20.5, 7.25);
    folder.lineTo(20.5, 18.75);
    folder.lineTo(2.75, 18.75);
    folder.closeSubpath();
    Shape(p, kAmberLight);
    p.drawPath(folder);

    // Film strip in front of the folder.
    const QRectF strip(10.0, 11.75, 12.0, 9.0);
    Shape(p, kInk);
    p.drawRoundedRect(strip, 1.0, 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    for (qreal x : {11.4, 14.2, 17.0, 19.8}) {
        p.drawRect(QRectF(x, 12.6, 1.3, 1.2));
        p.drawRect(QRectF(x, 18.7, 1.3, 1.2));
    }
    p.setBrush(kBlueLight);
    p.drawRect(QRectF(11.3, 14.6, 9.4, 3.3));
}

void DrawDrawTools(QPainter& p) {
    const QPointF vertex(3.5, 20.5);
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawLine(vertex, QPointF(20.5, 20.5));
    p.drawLine(vertex, QPointF(9.0, 9.5));
    p.setPen(InkPen(kStroke, kBlue));
    p.drawArc(QRectF(vertex.x() - 6.5, vertex.y() - 6.5, 13, 13), 0, qRound(63.4 * 16));
    Pencil(p, QPointF(11.5, 13.0), QPointF(21.0, 3.5));
}

void DrawImageTools(QPainter& p) {
    const QPointF c(12, 12);
    const qreal r = 5.0;
    Shape(p, kPaper);
    p.drawEllipse(c, r, r);
    QPainterPath dark;
    dark.moveTo(c.x(), c.y() - r);
    dark.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90, 180);
    dark.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPath(dark);
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    for (int k = 0; k < 8; ++k) {
        const qreal a = qDegreesToRadians(k * 45.0);
        const QPointF d(std::cos(a), std::sin(a));
        p.drawLine(c + d * 7.6, c + d * 10.0);
    }
}

void DrawCopyImage(QPainter& p) {
    Shape(p, kPaperShade);
    p.drawRoundedRect(QRectF(3.0, 3.0, 12.5, 12.5), 1.5, 1.5);
    Shape(p, kPaper);
    const QRectF front(8.5, 8.5, 12.5, 12.5);
    p.drawRoundedRect(front, 1.5, 1.5);
    // A tiny landscape on the front sheet.
    QPainterPath hills;
    hills.moveTo(10.3, 19.3);
    hills.lineTo(13.6, 14.8);
    hills.lineTo(15.9, 17.4);
    hills.lineTo(17.4, 15.8);
    hills.lineTo(19.3, 19.3);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPath(hills);
    Dot(p, QPointF(17.6, 11.8), 1.35, kAmber);
}

void DrawInsertModel(QPainter& p) {
    Shape(p, kPaper);
    p.drawRoundedRect(QRectF(2.75, 2.75, 14.5, 17.0), 1.8, 1.8);
    p.save();
    p.setClipRect(QRectF(2.75, 2.75, 14.5, 17.0));
    Bust(p, QPointF(10.0, 8.6), 2.7, 5.3, 21.0);
    p.restore();
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.75, 2.75, 14.5, 17.0), 1.8, 1.8);
    // Plus badge, set off from the frame by a white ring.
    p.setPen(QPen(kPaper, 1.5));
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(17.5, 17.5), 5.25, 5.25);
    p.setPen(InkPen(kStroke, kPaper));
    p.drawLine(QPointF(17.5, 15.0), QPointF(17.5, 20.0));
    p.drawLine(QPointF(15.0, 17.5), QPointF(20.0, 17.5));
}

void DrawAdjustModel(QPainter& p) {
    p.setPen(InkPen(kStroke, kBlue));
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 4; ++k) {
        p.save();
        p.translate(12, 12);
        p.rotate(90.0 * k);
        p.drawLine(QPointF(0, -10.0), QPointF(0, -7.0));
        p.drawPolyline(QPolygonF({QPointF(-2.6, -7.6), QPointF(0, -10.2), QPointF(2.6, -7.6)}));
        p.restore();
    }
    Bust(p, QPointF(12.0, 9.6), 2.3, 4.2, 16.2);
    p.setPen(InkPen());
    p.drawLine(QPointF(7.8, 16.2), QPointF(16.2, 16.2));
}

void DrawFullWindow(QPainter& p) {
    const QRectF client = WindowFrame(p, kBlueLight);
    // The one clip filling the view.
    Bust(p, QPointF(client.center().x(), client.top() + 4.2), 2.0, 3.8, client.bottom() - 0.1);
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.75, 4.25, 18.5, 15.5), 2, 2);
}

void DrawSplitWindow(QPainter& p) {
    const QRectF client = WindowFrame(p, kBlueLight);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreenLight);
    p.drawRect(QRectF(12.0, client.top() + 0.8, client.right() - 12.8, client.height() - 1.6));
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(12.0, client.top()), QPointF(12.0, client.bottom()));
    p.drawRoundedRect(QRectF(2.75, 4.25, 18.5, 15.5), 2, 2);
}

void DrawWholeFrame(QPainter& p) {
    const QRectF client = WindowFrame(p, kBlueLight);
    // Four corners pointing out: the picture back to the whole frame.
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    const QPointF c = client.center();
    for (const QPointF d : {QPointF(-1, -1), QPointF(1, -1), QPointF(1, 1), QPointF(-1, 1)}) {
        const QPointF corner = c + QPointF(d.x() * 7.0, d.y() * 5.0);
        p.drawLine(corner, corner - QPointF(d.x() * 3.5, 0));
        p.drawLine(corner, corner - QPointF(0, d.y() * 3.5));
        p.drawLine(corner, corner - QPointF(d.x() * 3.0, d.y() * 3.0));
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing tool box.

void DrawLineTool(QPainter& p) {
    p.setPen(InkPen());
    p.drawLine(QPointF(5.0, 19.0), QPointF(19.0, 5.0));
    Dot(p, QPointF(5.0, 19.0), 2.5, kBlue);
    Dot(p, QPointF(19.0, 5.0), 2.5, kBlue);
}

void DrawRectTool(QPainter& p) {
    Shape(p, kBlueLight);
    p.drawRoundedRect(QRectF(3.5, 6.0, 17.0, 12.0), 1.0, 1.0);
}

void DrawCircleTool(QPainter& p) {
    Shape(p, kBlueLight);
    p.drawEllipse(QPointF(12, 12), 9.0, 7.0);
}

void DrawPolylineTool(QPainter& p) {
    const QPolygonF points({QPointF(3.5, 17.5), QPointF(8.5, 7.5), QPointF(14.0, 15.5), QPointF(20.5, 6.0)});
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points);
    for (const QPointF& pt : points) Dot(p, pt, 2.2, kBlue);
}

void DrawAngleTool(QPainter& p) {
    const QPointF vertex(4.0, 19.0);
    p.setPen(InkPen());
    p.drawLine(vertex, QPointF(20.5, 19.0));
    p.drawLine(vertex, QPointF(13.0, 4.0));
    p.setPen(InkPen(kStroke, kBlue));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(vertex.x() - 8, vertex.y() - 8, 16, 16), 0, qRound(59.0 * 16));
    Dot(p, vertex, 2.2, kBlue);
}

void DrawRulerTool(QPainter& p) {
    p.save();
    p.translate(12, 12);
    p.rotate(-45);
    Shape(p, kAmberLight);
    p.drawRoundedRect(QRectF(-10.5, -3.75, 21.0, 7.5), 1.0, 1.0);
    p.setPen(InkPen(1.25));
    for (int i = 0; i < 7; ++i) {
        const qreal x = -7.5 + i * 2.5;
        p.drawLine(QPointF(x, -3.75), QPointF(x, (i % 2 == 0) ? -0.5 : -1.9));
    }
    p.restore();
}

void DrawUndo(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(14.5, 9.0);
    arrow.arcTo(QRectF(9.0, 9.0, 11.0, 11.0), 90, -180);
    arrow.lineTo(10.0, 20.0);
    arrow.moveTo(4.0, 9.0);
    arrow.lineTo(14.5, 9.0);
    arrow.moveTo(8.5, 4.5);
    arrow.lineTo(4.0, 9.0);
    arrow.lineTo(8.5, 13.5);
    p.setPen(InkPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
}

void DrawClear(QPainter& p) {
    p.save();
    p.translate(13.0, 10.5);
    p.rotate(-45);
    Shape(p, kPaper);
    p.drawRoundedRect(QRectF(-9.0, -4.25, 18.0, 8.5), 1.5, 1.5);
    p.setClipRect(QRectF(-10.0, -6.0, 8.0, 12.0));
    Shape(p, kRedLight);
    p.drawRoundedRect(QRectF(-9.0, -4.25, 18.0, 8.5), 1.5, 1.5);
    p.setClipping(false);
    p.drawLine(QPointF(-2.0, -4.25), QPointF(-2.0, 4.25));
    p.restore();
    p.setPen(InkPen());
    p.drawLine(QPointF(12.0, 21.0), QPointF(21.0, 21.0));
}

void DrawLineWidthTool(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(1.0));
    p.drawLine(QPointF(4.5, 5.5), QPointF(19.5, 5.5));
    p.setPen(InkPen(2.2));
    p.drawLine(QPointF(4.5, 11.0), QPointF(19.5, 11.0));
    p.setPen(InkPen(4.0));
    p.drawLine(QPointF(4.5, 18.0), QPointF(19.5, 18.0));
}

// ---------------------------------------------------------------------------------------------
// Video controls. Drawn pointing backwards; the forward ones are mirrored.

void Mirrored(QPainter& p, void (*draw)(QPainter&)) {
    p.translate(kGrid, 0);
    p.scale(-1, 1);
    draw(p);
}

void DrawToStart(QPainter& p) {
    p.setPen(InkPen(1.5));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(3.75, 6.0, 2.5, 12.0), 0.6, 0.6);
    SolidTriangle(p, QPointF(8.25, 12.0), QPointF(13.75, 6.5), QPointF(13.75, 17.5));
    SolidTriangle(p, QPointF(14.25, 12.0), QPointF(19.75, 6.5), QPointF(19.75, 17.5));
}

void DrawStepBack(QPainter& p) {
    SolidTriangle(p, QPointF(5.0, 12.0), QPointF(14.5, 5.0), QPointF(14.5, 19.0));
    p.setPen(InkPen(1.5));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(16.75, 5.5, 2.5, 13.0), 0.6, 0.6);
}

void DrawPlay(QPainter& p) {
    SolidTriangle(p, QPointF(7.0, 4.5), QPointF(19.5, 12.0), QPointF(7.0, 19.5));
}

void DrawStop(QPainter& p) {
    p.setPen(InkPen(1.5));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(6.0, 6.0, 12.0, 12.0), 1.5, 1.5);
}

void DrawStepForward(QPainter& p) {
    Mirrored(p, DrawStepBack);
}
void DrawToEnd(QPainter& p) {
    Mirrored(p, DrawToStart);
}

// ---------------------------------------------------------------------------------------------
// Program icon, on its own 64-unit grid: a sky-and-grass tile with a white "V" opening like a
// measured angle over a golf ball.

void DrawAppIcon(QPainter& p) {
    p.scale(kGrid / 64.0, kGrid / 64.0);
    const QRectF tile(3, 3, 58, 58);
    QPainterPath tilePath;
    tilePath.addRoundedRect(tile, 14, 14);
    QLinearGradient sky(0, tile.top(), 0, 44);
    sky.setColorAt(0, QColor(0x1d, 0x5f, 0xb3));
    sky.setColorAt(1, QColor(0x67, 0xb4, 0xec));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawPath(tilePath);
    p.save();
    p.setClipPath(tilePath);
    QLinearGradient grass(0, 44, 0, tile.bottom());
    grass.setColorAt(0, QColor(0x4f, 0xbf, 0x6c));
    grass.setColorAt(1, QColor(0x25, 0x84, 0x45));
    QPainterPath ground;
    ground.moveTo(0, 46);
    ground.quadTo(32, 40, 64, 46);
    ground.lineTo(64, 64);
    ground.lineTo(0, 64);
    ground.closeSubpath();
    p.setBrush(grass);
    p.drawPath(ground);
    p.restore();

    // A measured angle opening from the ball: one arm along the ground, one up the swing plane.
    const QPointF vertex(19, 46);
    const QPointF along(53, 46), up(47, 14);
    p.setPen(InkPen(5.5, QColor(0x10, 0x2a, 0x4a, 70)));
    p.drawLine(vertex + QPointF(0, 1.5), up + QPointF(0, 1.5));
    p.setPen(InkPen(5.5, kPaper));
    p.drawLine(vertex, along);
    p.drawLine(vertex, up);
    const qreal armAngle = QLineF(vertex, up).angle();
    p.setPen(InkPen(4.0, QColor(0xff, 0xd5, 0x4a)));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(vertex.x() - 21, vertex.y() - 21, 42, 42), 0, qRound(armAngle * 16));
    // Golf ball at the vertex.
    QRadialGradient ball(vertex + QPointF(-2.5, -2.5), 9);
    ball.setColorAt(0, kPaper);
    ball.setColorAt(1, QColor(0xd4, 0xdc, 0xe4));
    p.setPen(QPen(QColor(0x8a, 0x98, 0xa6), 1.2));
    p.setBrush(ball);
    p.drawEllipse(vertex, 7.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb9, 0xc4, 0xcf));
    for (QPointF d :
         {QPointF(-2.5, -1), QPointF(1.5, -2.5), QPointF(2.8, 1.6), QPointF(-1, 2.6), QPointF(-3.6, 2.8)})
        p.drawEllipse(vertex + d, 0.9, 0.9);
}

// ---------------------------------------------------------------------------------------------
// Rendering and caching.

using Glyph = void (*)(QPainter&);

QPixmap RenderGlyph(Glyph draw, int px) {
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(px / kGrid, px / kGrid);
    draw(p);
    p.end();
    return QPixmap::fromImage(std::move(image));
}

QIcon MakeIcon(Glyph draw) {
    QIcon icon;
    for (int px : kIconSizes) icon.addPixmap(RenderGlyph(draw, px));
    return icon;
}

struct ArtCache {
    QHash<int, QIcon> toolbar;
    QHash<int, QIcon> drawTools;
    QHash<int, QIcon> videoControls;
    QIcon app;
    QHash<quint64, QPixmap> widths;
    QHash<quint64, QPixmap> splashes;
    QPixmap cursor;
};

ArtCache* gCache = nullptr;

// Pixmaps must go before the GUI application does; this runs from its destructor.
void DropCache() {
    delete gCache;
    gCache = nullptr;
}

ArtCache& Cache() {
    if (!gCache) {
        gCache = new ArtCache;
        qAddPostRoutine(DropCache);
    }
    return *gCache;
}

quint64 SizeKey(QSize size) {
    return (quint64(quint32(size.width())) << 32) | quint32(size.height());
}

QIcon CachedIcon(QHash<int, QIcon>& cache, int key, Glyph draw) {
    if (!draw) return {};
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, MakeIcon(draw));
    return *it;
}

QFont ArtFont(qreal pixelSize, QFont::Weight weight) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setWeight(weight);
    return font;
}

// ---------------------------------------------------------------------------------------------
// Start-up picture.

// Golfer at the top of the backswing, seen face-on, in figure units: feet on y = 0, the head
// near y = -88; positive x is towards the target.
struct Golfer {
    QPointF hipR{-6.5, -46.0}, kneeR{-11.5, -25.0}, ankleR{-14.0, -3.5};
    QPointF hipL{5.0, -46.0}, kneeL{2.5, -25.5}, ankleL{12.5, -3.5};
    QPointF shoulderR{-12.5, -75.0}, shoulderL{2.5, -74.0};
    QPointF head{-1.5, -87.5};
    qreal headRadius = 6.0;
    QPointF hands{-24.0, -99.0}, elbowR{-27.5, -82.5};
    QPointF clubHead{29.0, -102.0};
    QPointF ball{3.0, -1.8};

    QPointF HipCentre() const { return (hipR + hipL) / 2; }
    QPointF ShoulderCentre() const { return (shoulderR + shoulderL) / 2; }
};

void PaintGolfer(QPainter& p, const Golfer& g) {
    const QColor shirt(0x1b, 0x29, 0x38);
    const QColor trousers(0x12, 0x1a, 0x23);
    auto limb = [&](QPointF a, QPointF b, qreal width, const QColor& color) {
        p.setPen(InkPen(width, color));
        p.drawLine(a, b);
    };
    // Shadow on the grass.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0b, 0x3a, 0x18, 70));
    p.drawEllipse(QPointF(6, 0.6), 32, 3.2);
    // Ball on its tee.
    p.setBrush(QColor(0xf2, 0xf2, 0xea));
    p.drawRect(QRectF(g.ball.x() - 0.45, g.ball.y(), 0.9, 2.0));
    p.setBrush(kPaper);
    p.drawEllipse(g.ball, 1.9, 1.9);

    // Legs: thighs heavier than shins; white golf shoes.
    limb(g.hipR, g.kneeR, 9.0, trousers);
    limb(g.kneeR, g.ankleR, 7.0, trousers);
    limb(g.hipL, g.kneeL, 9.0, trousers);
    limb(g.kneeL, g.ankleL, 7.0, trousers);
    limb(g.ankleR + QPointF(-4.0, 1.2), g.ankleR + QPointF(2.0, 1.4), 4.4, QColor(0xea, 0xee, 0xf1));
    limb(g.ankleL + QPointF(-1.5, 1.4), g.ankleL + QPointF(4.5, 1.2), 4.4, QColor(0xea, 0xee, 0xf1));
    // Hips, then the turned torso: narrow from the front because the back faces the target.
    p.setPen(Qt::NoPen);
    p.setBrush(trousers);
    p.drawRoundedRect(QRectF(g.hipR.x() - 3.5, g.hipR.y() - 5.0, g.hipL.x() - g.hipR.x() + 7.0, 9.0), 4.5,
                      4.5);
    QPainterPath torso;
    torso.moveTo(g.hipR + QPointF(-3.0, -3.5));
    torso.cubicTo(g.hipR + QPointF(-5.5, -14.0), g.shoulderR + QPointF(-4.5, 8.0),
                  g.shoulderR + QPointF(-1.0, -1.5));
    torso.quadTo((g.shoulderR + g.shoulderL) / 2 + QPointF(0, -4.0), g.shoulderL + QPointF(1.5, -0.5));
    torso.cubicTo(g.shoulderL + QPointF(5.5, 8.0), g.hipL + QPointF(4.0, -14.0), g.hipL + QPointF(3.0, -3.5));
    torso.closeSubpath();
    p.setBrush(shirt);
    p.drawPath(torso);
    // Neck and head with a cap whose peak turns towards the ball.
    limb(g.ShoulderCentre() + QPointF(2.0, -2.0), g.head + QPointF(0.5, 3.5), 5.0, shirt);
    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawEllipse(g.head, g.headRadius * 0.92, g.headRadius);
    QPainterPath cap;
    const qreal r = g.headRadius;
    cap.moveTo(g.head + QPointF(-r - 0.4, -1.0));
    cap.cubicTo(g.head + QPointF(-r, -r - 3.0), g.head + QPointF(r, -r - 3.0),
                g.head + QPointF(r + 0.4, -1.6));
    cap.quadTo(g.head + QPointF(r + 4.5, -0.8), g.head + QPointF(r + 4.8, 0.4));
    cap.lineTo(g.head + QPointF(-r - 0.4, -0.2));
    cap.closeSubpath();
    p.setBrush(trousers);
    p.drawPath(cap);
    // Arms: the lead arm straight across the chest, the trail elbow pointing at the ground.
    limb(g.shoulderR, g.elbowR, 5.8, shirt);
    limb(g.elbowR, g.hands, 5.0, shirt);
    limb(g.shoulderL, g.hands, 5.6, shirt);
    // Club: grip just beyond the hands, shaft towards the target behind the head.
    const QLineF shaft(g.hands, g.clubHead);
    limb(shaft.pointAt(-0.06), g.clubHead, 1.7, trousers);
    p.save();
    p.translate(g.clubHead);
    p.rotate(-shaft.angle());
    p.setPen(Qt::NoPen);
    p.setBrush(trousers);
    p.drawRoundedRect(QRectF(-1.0, -1.8, 7.0, 5.2), 2.4, 2.4);
    p.restore();
    p.setBrush(QColor(0xea, 0xee, 0xf1));  // white glove
    p.drawEllipse(g.hands, 3.3, 3.3);
}

// Analysis marks over the golfer: spine tilt against the vertical with its angle, a head box,
// the hands' path and markers on the joints, as the program's own tools would draw them.
void PaintAnalysis(QPainter& p, const Golfer& g, qreal unitPx) {
    const QColor yellow(0xff, 0xd5, 0x4a);
    const QColor cyan(0x7d, 0xe8, 0xff);
    const QPointF hip = g.HipCentre();
    const QPointF shoulders = g.ShoulderCentre();

    auto dashed = [&](const QColor& color, qreal width, qreal dash) {
        QPen pen(color, width, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setDashPattern({dash, dash * 0.9});
        return pen;
    };

    // Hands' path on the backswing: an arc about the shoulders, from the ball up to the top.
    const QLineF radius(shoulders, g.hands);
    const qreal r = radius.length() + 5.0;
    p.setBrush(Qt::NoBrush);
    p.setPen(dashed(QColor(255, 255, 255, 200), 0.9, 1.4));
    const qreal start = radius.angle();
    p.drawArc(QRectF(shoulders.x() - r, shoulders.y() - r, 2 * r, 2 * r), qRound(start * 16),
              qRound((262.0 - start) * 16));

    // Vertical reference and spine line.
    const QLineF spine(hip, shoulders);
    const QLineF spineLong(hip, spine.pointAt(1.45));
    p.setPen(dashed(QColor(255, 255, 255, 230), 0.8, 2.2));
    p.drawLine(hip, QPointF(hip.x(), spineLong.p2().y()));
    p.setPen(InkPen(1.2, yellow));
    p.drawLine(spineLong);
    const qreal tilt =
        90.0 - spine.angle();  // lean away from the vertical, in degrees (negative: away from the target)
    const qreal arcR = 20.0;
    p.drawArc(QRectF(hip.x() - arcR, hip.y() - arcR, 2 * arcR, 2 * arcR), 90 * 16, qRound(-tilt * 16));

    // Head box.
    const qreal box = g.headRadius + 3.0;
    p.setPen(dashed(cyan, 0.7, 1.5));
    p.drawRect(QRectF(g.head.x() - box, g.head.y() - box - 2.0, 2 * box, 2 * box + 2.0));

    // Joint markers.
    p.setPen(QPen(kPaper, 0.8));
    p.setBrush(QColor(0x1e, 0x7f, 0xd9));
    for (QPointF j : {g.hands, g.shoulderL, g.shoulderR, hip, g.kneeL, g.kneeR}) p.drawEllipse(j, 1.5, 1.5);

    // Angle label beside the body with a leader to its arc, in device pixels so the type is crisp.
    const qreal mid = qDegreesToRadians(90.0 + std::abs(tilt) / 2);
    const QPointF onArc = hip + QPointF(std::cos(mid) * arcR, -std::sin(mid) * arcR);
    const QPointF anchor(g.hipL.x() + 9.0, onArc.y() - 4.0);
    p.setPen(InkPen(0.7, yellow));
    p.drawLine(onArc, anchor);
    const QTransform toDevice = p.transform();
    p.save();
    p.resetTransform();
    const QFont font = ArtFont(std::max(9.0, unitPx * 4.6), QFont::Bold);
    p.setFont(font);
    const QString text = QString::number(qRound(std::abs(tilt))) + QChar(0x00B0);
    const QFontMetricsF fm(font);
    QRectF pill(0, 0, fm.horizontalAdvance(text) + fm.height() * 0.8, fm.height() * 1.2);
    const QPointF at = toDevice.map(anchor);
    pill.moveTopLeft(QPointF(at.x(), at.y() - pill.height() / 2));
    p.setPen(QPen(yellow, std::max(1.0, unitPx * 0.5)));
    p.setBrush(QColor(0x10, 0x1a, 0x24, 200));
    p.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    p.setPen(yellow);
    p.drawText(pill, Qt::AlignCenter, text);
    p.restore();
}

// Smooth skyline y(x) from a few sines, sampled across the width.
QPainterPath Skyline(qreal width, qreal bottom, const std::function<qreal(qreal)>& top) {
    QPainterPath path;
    path.moveTo(0, bottom);
    const int steps = 160;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = width * i / steps;
        path.lineTo(x, top(x / width));
    }
    path.lineTo(width, bottom);
    path.closeSubpath();
    return path;
}

void Cloud(QPainter& p, QPointF at, qreal s) {
    QPainterPath cloud;
    cloud.addEllipse(at + QPointF(-1.6 * s, 0.2 * s), 1.3 * s, 0.75 * s);
    cloud.addEllipse(at + QPointF(-0.3 * s, -0.35 * s), 1.25 * s, 1.05 * s);
    cloud.addEllipse(at + QPointF(1.1 * s, 0.1 * s), 1.2 * s, 0.8 * s);
    cloud.addRoundedRect(QRectF(at.x() - 2.6 * s, at.y(), 4.9 * s, 0.85 * s), 0.42 * s, 0.42 * s);
    cloud.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    QLinearGradient shade(0, at.y() - 1.4 * s, 0, at.y() + 0.9 * s);
    shade.setColorAt(0, QColor(255, 255, 255, 235));
    shade.setColorAt(1, QColor(0xdc, 0xe8, 0xf4, 200));
    p.setBrush(shade);
    p.drawPath(cloud.simplified());
}

void PaintSplash(QPainter& p, qreal W, qreal H) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal horizon = 0.64 * H;

    // Sky and a low sun haze.
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0.0, QColor(0x17, 0x47, 0x86));
    sky.setColorAt(0.55, QColor(0x44, 0x8c, 0xcf));
    sky.setColorAt(1.0, QColor(0xc4, 0xe4, 0xf4));
    p.fillRect(QRectF(0, 0, W, H), sky);
    QRadialGradient haze(QPointF(0.58 * W, horizon), 0.75 * H);
    haze.setColorAt(0.0, QColor(255, 244, 214, 190));
    haze.setColorAt(0.4, QColor(255, 238, 200, 70));
    haze.setColorAt(1.0, QColor(255, 238, 200, 0));
    p.fillRect(QRectF(0, 0, W, horizon + 1), haze);
    Cloud(p, QPointF(0.10 * W, 0.13 * H), 0.03 * H);
    Cloud(p, QPointF(0.47 * W, 0.09 * H), 0.022 * H);

    // Far hills and the tree line.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x86, 0xae, 0xa4));
    p.drawPath(Skyline(W, horizon + 2, [&](qreal u) {
        return horizon - H * (0.055 + 0.028 * std::sin(u * 7.9 + 0.4) + 0.016 * std::sin(u * 19.3 + 1.7));
    }));
    p.setBrush(QColor(0x3f, 0x7c, 0x58));
    p.drawPath(Skyline(W, horizon + 2, [&](qreal u) {
        return horizon - H * (0.022 + 0.009 * std::sin(u * 41.0 + 0.3) + 0.006 * std::sin(u * 97.0 + 2.1) +
                              0.004 * std::sin(u * 173.0));
    }));

    // Fairway with mowing stripes running towards the horizon.
    const QRectF fairway(0, horizon, W, H - horizon);
    QLinearGradient grass(0, horizon, 0, H);
    grass.setColorAt(0.0, QColor(0x86, 0xc9, 0x6b));
    grass.setColorAt(0.35, QColor(0x55, 0xab, 0x52));
    grass.setColorAt(1.0, QColor(0x27, 0x7a, 0x3b));
    p.fillRect(fairway, grass);
    p.save();
    p.setClipRect(fairway);
    const QPointF vanish(0.56 * W, horizon - 0.08 * H);
    const qreal band = 0.2 * H;
    p.setBrush(QColor(255, 255, 255, 22));
    for (int i = -40; i <= 40; i += 2) {
        const qreal x0 = vanish.x() + i * band, x1 = x0 + band;
        if (x1 < -6 * W || x0 > 7 * W) continue;
        p.drawPolygon(QPolygonF(
            {vanish, QPointF(x0 * 3 - 2 * vanish.x(), 3 * H), QPointF(x1 * 3 - 2 * vanish.x(), 3 * H)}));
    }
    p.restore();

    // Putting green with the flag in the distance.
    const QPointF hole(0.84 * W, horizon + 0.05 * H);
    p.setBrush(QColor(0x9f, 0xdc, 0x82));
    p.drawEllipse(hole + QPointF(0.01 * W, 0), 0.09 * W, 0.022 * H);
    p.setBrush(QColor(0x1d, 0x3a, 0x22));
    p.drawEllipse(hole, 0.006 * H, 0.0028 * H);
    const qreal pole = 0.15 * H;
    p.setPen(InkPen(std::max(1.0, 0.0045 * H), QColor(0xf5, 0xf5, 0xf0)));
    p.drawLine(hole, hole - QPointF(0, pole));
    QPainterPath flag;
    flag.moveTo(hole - QPointF(0, pole));
    flag.quadTo(hole + QPointF(0.03 * H, -pole + 0.012 * H), hole + QPointF(0.055 * H, -pole + 0.022 * H));
    flag.quadTo(hole + QPointF(0.028 * H, -pole + 0.034 * H), hole + QPointF(0, -pole + 0.05 * H));
    flag.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe5, 0x39, 0x35));
    p.drawPath(flag);

    // The golfer and the analysis over it.
    const qreal unit = 0.0058 * H;  // figure units to pixels: the golfer is about 60 % of the height
    const QPointF feet(std::max(0.25 * W, 0.2 * H), 0.885 * H);
    const Golfer golfer;
    p.save();
    p.translate(feet);
    p.scale(unit, unit);
    PaintGolfer(p, golfer);
    PaintAnalysis(p, golfer, unit);
    p.restore();

    // A soft vignette to hold the eye in the middle.
    QRadialGradient vignette(QPointF(0.5 * W, 0.45 * H), 0.8 * std::hypot(W, H) / 2 * 1.25);
    vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 80));
    p.fillRect(QRectF(0, 0, W, H), vignette);

    // Name and subtitle on the right, sized to the room there.
    const QString title = QStringLiteral("Varkelo");
    const QString subtitle = QStringLiteral("Golf Swing Analysis");
    const qreal textLeft = std::max(0.46 * W, feet.x() + 40 * unit);
    const qreal room = 0.95 * W - textLeft;
    QFont titleFont = ArtFont(100, QFont::Bold);
    titleFont.setLetterSpacing(QFont::PercentageSpacing, 97);
    const qreal titleSize =
        std::min(0.2 * H, 100.0 * room / QFontMetricsF(titleFont).horizontalAdvance(title));
    titleFont.setPixelSize(std::max(1, qRound(titleSize)));
    QFont subFont = ArtFont(100, QFont::Normal);
    subFont.setLetterSpacing(QFont::PercentageSpacing, 106);
    const qreal subSize =
        std::min(0.34 * titleSize, 100.0 * room / QFontMetricsF(subFont).horizontalAdvance(subtitle));
    subFont.setPixelSize(std::max(1, qRound(subSize)));

    const QFontMetricsF tm(titleFont), sm(subFont);
    const qreal titleWidth = tm.horizontalAdvance(title);
    const qreal subWidth = sm.horizontalAdvance(subtitle);
    const qreal blockWidth = std::max(titleWidth, subWidth);
    const qreal left = textLeft + (room - blockWidth) / 2;
    const qreal titleBase = 0.17 * H + tm.ascent();
    const qreal barY = titleBase + tm.descent() * 0.6;
    const qreal subBase = barY + 0.035 * H + sm.ascent();

    auto shadowed = [&](const QFont& font, QPointF at, const QString& text, const QColor& color) {
        p.setFont(font);
        const qreal off = std::max(1.0, 0.004 * H);
        p.setPen(QColor(0x08, 0x1c, 0x36, 110));
        p.drawText(at + QPointF(off, off), text);
        p.setPen(color);
        p.drawText(at, text);
    };
    shadowed(titleFont, QPointF(left + (blockWidth - titleWidth) / 2, titleBase), title, kPaper);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd5, 0x4a));
    const qreal barW = blockWidth * 0.22, barH = std::max(2.0, 0.009 * H);
    p.drawRoundedRect(QRectF(left + (blockWidth - barW) / 2, barY, barW, barH), barH / 2, barH / 2);
    shadowed(subFont, QPointF(left + (blockWidth - subWidth) / 2, subBase), subtitle,
             QColor(0xf0, 0xf6, 0xfc));
}

// ---------------------------------------------------------------------------------------------
// Pointer.

QPixmap RenderHandCursor() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    auto capsule = [](QPointF a, QPointF b, qreal width) {
        QPainterPath line;
        line.moveTo(a);
        line.lineTo(b);
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setCapStyle(Qt::RoundCap);
        return stroker.createStroke(line);
    };
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10.5, 15.0, 18.0, 14.0), 4.5, 4.5);
    hand = hand.united(capsule(QPointF(13.0, 4.5), QPointF(13.0, 18.0), 5.0));
    hand = hand.united(capsule(QPointF(17.75, 13.0), QPointF(17.75, 19.0), 4.5));
    hand = hand.united(capsule(QPointF(22.25, 14.0), QPointF(22.25, 19.0), 4.5));
    hand = hand.united(capsule(QPointF(26.4, 16.0), QPointF(26.4, 20.0), 4.2));
    hand = hand.united(capsule(QPointF(6.5, 17.0), QPointF(12.0, 23.5), 4.6));
    hand = hand.simplified();
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    // Creases between the curled fingers.
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.5, 13.5), QPointF(15.5, 16.5));
    p.drawLine(QPointF(20.0, 14.5), QPointF(20.0, 17.0));
    p.drawLine(QPointF(24.4, 15.8), QPointF(24.4, 18.0));
    p.end();
    return QPixmap::fromImage(std::move(image));
}

constexpr QPoint kHandHotSpot(13, 2);

}  // namespace

QIcon ToolbarIcon(int imageNumber) {
    Glyph draw = nullptr;
    switch (imageNumber) {
        case 9:
            draw = DrawOpenVideo;
            break;
        case 2:
            draw = DrawDrawTools;
            break;
        case 10:
            draw = DrawImageTools;
            break;
        case 4:
            draw = DrawCopyImage;
            break;
        case 7:
            draw = DrawInsertModel;
            break;
        case 8:
            draw = DrawAdjustModel;
            break;
        case 12:
            draw = DrawFullWindow;
            break;
        case 13:
            draw = DrawSplitWindow;
            break;
        default:
            return {};
    }
    return CachedIcon(Cache().toolbar, imageNumber, draw);
}

QIcon WholeFrameIcon() {
    // Kept apart from the toolbar's image list, whose numbers are the window design's; cached
    // with its icons under a number the list never uses.
    constexpr int kWholeFrameKey = -1;
    return CachedIcon(Cache().toolbar, kWholeFrameKey, DrawWholeFrame);
}

QIcon DrawToolIcon(int buttonIndex) {
    static constexpr std::array<Glyph, 11> kGlyphs = {
        nullptr,          DrawLineTool,  DrawRectTool,     DrawCircleTool,
        DrawPolylineTool, DrawAngleTool, DrawRulerTool,    nullptr /* separator */,
        DrawUndo,         DrawClear,     DrawLineWidthTool};
    if (buttonIndex < 0 || buttonIndex >= int(kGlyphs.size()) || !kGlyphs[buttonIndex]) return {};
    return CachedIcon(Cache().drawTools, buttonIndex, kGlyphs[buttonIndex]);
}

QIcon VideoControlIcon(int buttonCode) {
    static constexpr std::array<Glyph, 7> kGlyphs = {DrawToStart,  DrawToEnd,       DrawPlay, nullptr,
                                                     DrawStepBack, DrawStepForward, DrawStop};
    if (buttonCode < 0 || buttonCode >= int(kGlyphs.size()) || !kGlyphs[buttonCode]) return {};
    return CachedIcon(Cache().videoControls, buttonCode, kGlyphs[buttonCode]);
}

QPixmap LineWidthImage(int width, bool highlighted, QSize size) {
    if (width < 1 || width > 5 || size.isEmpty()) return {};
    const quint64 key = SizeKey(size) * 16 + quint64(width) * 2 + (highlighted ? 1 : 0);
    ArtCache& cache = Cache();
    if (auto it = cache.widths.constFind(key); it != cache.widths.constEnd()) return *it;

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const int w = size.width(), h = size.height();
    const int pad = std::max(2, h / 5);
    if (highlighted) {
        p.setRenderHint(QPainter::Antialiasing);
        const qreal radius = std::min(5.0, h / 4.0);
        p.setPen(QPen(kBlue, 1.0));
        p.setBrush(kBlueLight);
        p.drawRoundedRect(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    // The width written at the left, when there is room for it and a line.
    int lineLeft = pad;
    const QFont font = ArtFont(std::clamp(h * 0.45, 8.0, 14.0), QFont::Normal);
    const QString label = QString::number(width) + QStringLiteral(" px");
    const qreal labelWidth = QFontMetricsF(font).horizontalAdvance(label);
    if (pad + labelWidth + pad < w / 2.0 - pad) {
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(highlighted ? kBlueDark : kInkSoft);
        p.drawText(QRectF(pad, 0, labelWidth + 1, h), Qt::AlignVCenter | Qt::AlignLeft, label);
        lineLeft = qCeil(pad + labelWidth + pad);
    }
    // Exactly `width` pixels thick and never antialiased, so it shows the true pen width.
    const int thickness = std::min(width, std::max(1, h - 2));
    p.fillRect(QRect(lineLeft, (h - thickness) / 2, std::max(1, w - pad - lineLeft), thickness), kInk);
    p.end();
    const QPixmap pixmap = QPixmap::fromImage(std::move(image));
    cache.widths.insert(key, pixmap);
    return pixmap;
}

QPixmap SplashPicture(QSize size) {
    if (size.isEmpty()) return {};
    ArtCache& cache = Cache();
    const quint64 key = SizeKey(size);
    if (auto it = cache.splashes.constFind(key); it != cache.splashes.constEnd()) return *it;

    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    PaintSplash(p, size.width(), size.height());
    p.end();
    // A handful of sizes are ever asked for (splash and logo); bound the memory all the same.
    if (cache.splashes.size() >= 6) cache.splashes.clear();
    const QPixmap pixmap = QPixmap::fromImage(std::move(image));
    cache.splashes.insert(key, pixmap);
    return pixmap;
}

QIcon AppIcon() {
    ArtCache& cache = Cache();
    if (cache.app.isNull()) {
        for (int px : {16, 24, 32, 48, 64, 128, 256}) cache.app.addPixmap(RenderGlyph(DrawAppIcon, px));
    }
    return cache.app;
}

QCursor ThumbnailCursor() {
    ArtCache& cache = Cache();
    if (cache.cursor.isNull()) cache.cursor = RenderHandCursor();
    return QCursor(cache.cursor, kHandHotSpot.x(), kHandHotSpot.y());
}
