#pragma once
// The overlay: every mark the user drew, kept as records so that it is drawn again over each
// new frame, the history that Undo walks back, the vertices of a figure being placed, the
// chosen tool, the scale, and the style holders of the rubber bands. No widgets: it draws
// into whatever canvas image it is given.
//
// Marks are kept in picture pixels (video 1's source pixels), so they stay on the golfer
// whatever the fit, the pan, the split view or Flip X; the view maps them onto the canvas when
// they are drawn and maps the pointer back when a mark is made.

#include "overlay/Measure.h"
#include "overlay/VAngle.h"
#include "overlay/VLine.h"
#include "overlay/VPolyLine.h"
#include "overlay/VShape.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QTransform>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

// Colour numbers are 0x00BBGGRR.
QColor ColorOf(int bgr);

// The style of new marks until the user picks another: yellow, two pixels wide, which shows on
// grass, sky and dark clothes alike.
inline constexpr int kDefaultMarkColor = 0x00FFFF;
inline constexpr int kDefaultMarkWidth = 2;

// The rubber-band line; its style is the style of new lines, polylines and angles.
struct LineControl {
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;
    bool Visible = false;
    int BorderColor = kDefaultMarkColor;
    int BorderWidth = kDefaultMarkWidth;
    int BorderStyle = 1;  // solid
};

// The rubber-band rectangle or oval; its style is the style of new shape records.
struct ShapeControl {
    enum : int { Rectangle = 0, Oval = 2 };
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    bool Visible = false;
    int Shape = Rectangle;
    int BorderColor = kDefaultMarkColor;
    int BorderWidth = kDefaultMarkWidth;
    int BorderStyle = 1;
};

struct OverlayPen {
    int width = 1;
    int color = 0;
};

// Drawing kinds of DrawShape.
enum DrawKind : int { kDrawLine = 1, kDrawRectangle = 2, kDrawEllipse = 3, kDrawPolyline = 4 };
// Kinds recorded in the history.
enum HistoryKind : int { kHistLine = 0, kHistShape = 1, kHistPolyLine = 2, kHistAngle = 3 };

// Tools.
enum DrawToolCode : short {
    kToolNone = 0,
    kToolLine = 1,
    kToolRectangle = 2,
    kToolEllipse = 3,
    kToolPolyline = 4,
    kToolAngle = 5,
    kToolRuler = 7
};

class OverlayModel {
public:
    static constexpr int kCapacity = 100;  // records of each kind, history entries, Undo steps
    static constexpr int kPickCapacity = 32;

    // Lists, positions 1..count; position 0 is never used.
    std::array<VLine, kCapacity + 1> Lines{};
    std::array<VShape, kCapacity + 1> Shapes{};
    std::array<VAngle, kCapacity + 1> Angles{};
    std::array<VPolyLine, kCapacity + 1> PolyLines{};
    short LineCount = 0;
    short ShapeCount = 0;
    short AngleCount = 0;
    short PolyLineCount = 0;

    // Kinds of the records in creation order, positions 1..DrawHistoryIndex.
    std::array<int, kCapacity + 1> DrawHistory{};
    short DrawHistoryIndex = 0;

    // Vertices of the polyline or angle being placed (picture pixels), positions 1..PickCount.
    std::array<QPointF, kPickCapacity + 1> PickPoints{};
    short PickCount = 0;
    bool FigureDone = false;

    short DrawTool = kToolNone;
    bool DrawingOn = false;
    float MetresPerPixel = 0;  // per picture pixel; 0 until the ruler is calibrated
    RulerState Ruler;           // its points in picture pixels

    // --- View: picture pixels to canvas pixels, and the canvas region the picture covers
    // (empty: the whole canvas). Set by whoever paints the picture, before the marks.
    void SetView(const QTransform& pictureToCanvas, const QRect& canvasClip);
    const QTransform& PictureToCanvas() const { return toCanvas_; }
    const QRect& CanvasClip() const { return clip_; }
    QPointF ToPicture(const QPointF& canvas) const { return toPicture_.map(canvas); }
    QPointF ToCanvas(const QPointF& picture) const { return toCanvas_.map(picture); }
    // The picture box (left, top, width, height) that draws as the canvas box whose right and
    // bottom edges are exclusive, as a shape record keeps it.
    QRectF CanvasBoxToPicture(const QRectF& canvasBox) const;

    LineControl Line1;
    ShapeControl Shape1;

    // Font of the labels (the canvas's own, sized to the canvas), and the colour of marks
    // drawn before any pen.
    CanvasTextStyle TextStyle;
    // The tool box readout that each angle label also writes to.
    AngleReadout angleReadout;

    // --- Pen.
    void CreateDrawPens(int width, int color);
    const std::optional<OverlayPen>& CurrentPen() const { return pen_; }

    // --- Drawing in canvas pixels. A label is printed only for lines that have one, in the
    // pen's colour. A polyline is drawn through the point buffer, mapped by the view.
    struct Label {
        double x = 0;
        double y = 0;
        QString text;
    };
    void DrawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                   const std::optional<Label>& label = std::nullopt) const;
    void DrawShape(QImage& canvas, double x1, double x2, double y1, double y2, int kind,
                   const std::optional<Label>& label = std::nullopt) const;
    // Redraws every record through the view, within its clip: lines (labelled with their
    // length by the scale of now), shapes, angles (with their labels), polylines.
    void DrawingUpdate(QImage& canvas);
    // The same through a painter of the caller's, which may map canvas coordinates elsewhere.
    void DrawingUpdate(QPainter& painter);
    // The label line `index` shows now: its length by the current scale.
    QString LineLabelOf(int index) const;
    // Draws one record (position `index` of the kind's list) through the view with the
    // current pen, as a newly made mark is shown.
    void DrawRecord(QImage& canvas, int historyKind, int index);
    // The rubber bands above the canvas (never into it).
    void PaintRubberBands(QPainter& painter) const;

    // --- Records. A new record is made only while its list and the history have room;
    // otherwise nullptr and nothing changes.
    bool HasRoom(int historyKind) const;
    VLine* NewLine();
    VShape* NewShape();
    VAngle* NewAngle();
    VPolyLine* NewPolyLine();
    bool AppendHistory(int historyKind);

    // Removes the newest record of the history, or, when none is left since the last Clear,
    // brings back what that Clear removed; false when there is nothing to undo.
    bool UndoLast();
    // Does again what the last Undo took back (a record or a Clear), while no new record or
    // Clear came since (an undone record stays in its list until a new one takes its place);
    // false otherwise.
    bool RedoLast();
    // Removes every record; Undo brings them back. The oldest steps are forgotten beyond
    // kCapacity steps in all (records and Clears).
    void ClearAll();

private:
    // What a Clear took away.
    struct Marks {
        std::array<VLine, kCapacity + 1> lines;
        std::array<VShape, kCapacity + 1> shapes;
        std::array<VAngle, kCapacity + 1> angles;
        std::array<VPolyLine, kCapacity + 1> polyLines;
        short lineCount, shapeCount, angleCount, polyLineCount;
        std::array<int, kCapacity + 1> history;
        short historyIndex;
    };

    void applyPen(QPainter& painter) const;
    void drawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                   const std::optional<Label>& label, const QPoint* points, int count) const;
    void drawAll(QPainter& painter, const QTransform& toDevice, int canvasHeight);
    void drawRecord(QPainter& painter, const QTransform& toDevice, int historyKind, int index);
    CanvasTextStyle labelStyle(int canvasHeight) const;
    QColor penColor() const;
    int penWidth() const;  // in the canvas's pixels
    // Draws onto a canvas denser than its units (a high-density screen) through a view of its
    // pixels, with the view, the clip and the pen widths scaled to them: the marks are as
    // sharp as the screen and as wide on it as elsewhere.
    void drawInPixels(QImage& canvas, const std::function<void(QImage&)>& draw);
    void clearMarks();
    void forgetOldSteps();

    QTransform toCanvas_;
    QTransform toPicture_;
    QRect clip_;
    std::vector<Marks> cleared_;  // oldest first
    bool clearRedoable_ = false;  // the last Undo brought back a Clear's marks

    std::optional<OverlayPen> pen_;
    double pixelRatio_ = 1;  // the canvas's pixels per unit while a redraw runs
    short redoable_ = 0;  // undone history entries that RedoLast can bring back
    CanvasTextPrinter* printer_ = nullptr;  // the redraw's, while it runs
    CanvasTextPrinter::LayoutCache layouts_;
    QFont layoutFont_;  // the font the cached labels were made with
};
