#pragma once
// The overlay: every mark the user drew, kept as records so that it is drawn again over each
// new frame, the history that Undo walks back, the vertices of a figure being placed, the
// chosen tool, the scale, and the style holders of the rubber bands. No widgets: it draws
// into whatever canvas image it is given.

#include "overlay/Measure.h"
#include "overlay/VAngle.h"
#include "overlay/VLine.h"
#include "overlay/VPolyLine.h"
#include "overlay/VShape.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <array>
#include <optional>

class QPainter;

// Colour numbers are 0x00BBGGRR.
QColor ColorOf(int bgr);

// The rubber-band line; its style is the style of new lines, polylines and angles.
struct LineControl {
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;
    bool Visible = false;
    int BorderColor = 0x000000;  // the usual window-text colour
    int BorderWidth = 1;
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
    int BorderColor = 0x404040;  // RGB(64, 64, 64)
    int BorderWidth = 1;
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
    static constexpr int kCapacity = 100;  // records of each kind, and history entries
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

    // Vertices of the polyline or angle being placed, positions 1..PickCount.
    std::array<QPoint, kPickCapacity + 1> PickPoints{};
    short PickCount = 0;
    bool FigureDone = false;

    short DrawTool = kToolNone;
    bool DrawingOn = false;
    float MetresPerPixel = 0;  // 0 until the ruler is calibrated
    RulerState Ruler;

    LineControl Line1;
    ShapeControl Shape1;

    // Font and colour of the labels (the canvas's own).
    CanvasTextStyle TextStyle;
    // The tool box readout that each angle label also writes to.
    AngleReadout angleReadout;

    // --- Pen.
    void CreateDrawPens(int width, int color);
    const std::optional<OverlayPen>& CurrentPen() const { return pen_; }

    // --- Drawing. A label is printed only for lines that have one.
    struct Label {
        double x = 0;
        double y = 0;
        QString text;
    };
    void DrawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                   const std::optional<Label>& label = std::nullopt) const;
    void DrawShape(QImage& canvas, double x1, double x2, double y1, double y2, int kind,
                   const std::optional<Label>& label = std::nullopt) const;
    // Redraws every record: lines, shapes, angles (with their labels), polylines. The point
    // buffer keeps the figure being placed.
    void DrawingUpdate(QImage& canvas);
    // The same through a painter of the caller's, which may map canvas coordinates elsewhere.
    void DrawingUpdate(QPainter& painter);
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

    // Removes the newest record of the history; false when the history is empty.
    bool UndoLast();
    // Brings back the record the last Undo removed, while no new record or Clear came since
    // (an undone record stays in its list until a new one takes its place); false otherwise.
    bool RedoLast();
    // Removes every record.
    void ClearAll();

private:
    void applyPen(QPainter& painter) const;

    std::optional<OverlayPen> pen_;
    short redoable_ = 0;  // undone history entries that RedoLast can bring back
    CanvasTextPrinter* printer_ = nullptr;  // the redraw's, while it runs
    CanvasTextPrinter::LayoutCache layouts_;
    QFont layoutFont_;  // the font the cached layouts were made with
};
