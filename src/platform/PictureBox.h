#pragma once
// A picture box with a persistent off-screen bitmap. Everything is drawn into the back
// buffer; Refresh schedules a repaint and paintEvent only copies the buffer to the screen
// (plus any marks laid above it, which never change the buffer's pixels).
// Mouse events are reported in the box's scale (twips or pixels) with the runtime's
// button and shift codes.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <functional>

class QPainter;

namespace platform {

// Mouse button codes and shift-key codes of the runtime.
enum MouseButtonCode : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftCode : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

int ButtonCode(Qt::MouseButtons buttons);
int ShiftCodeOf(Qt::KeyboardModifiers modifiers);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum ScaleModeCode : int { vbTwips = 1, vbPixels = 3 };

    explicit PictureBox(QWidget* parent = nullptr);

    // The persistent bitmap (the box's Image and drawing context). Its size follows the
    // widget's size; content is kept across resizes. With device pixels on, it has the
    // screen's pixel density (its devicePixelRatio): a painter on it still works in the
    // box's own pixels, code that writes pixels directly scales by the ratio.
    void SetDevicePixels(bool on);
    // The bitmap's pixels per box pixel (1 unless device pixels are on).
    qreal PixelRatio() const {
        syncBuffer();
        return image_.devicePixelRatio();
    }
    QImage& Image() {
        syncBuffer();
        return image_;
    }
    const QImage& Image() const {
        syncBuffer();
        return image_;
    }

    // Clears the back buffer to the background colour and homes the text position.
    void Cls();
    // Cls for a paint that is about to cover `covered` anyway: only the rest is filled.
    void ClsAround(const QRect& covered);
    // Schedules a repaint of the screen from the back buffer.
    void Refresh();

    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);
    double ScaleWidth() const;
    double ScaleHeight() const;
    // Converts between the box's scale and back-buffer pixels.
    QPointF ToPixels(QPointF scaled) const;
    QPointF FromPixels(QPointF px) const;

    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& c) { backColor_ = c; }
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& c) { foreColor_ = c; }
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int w) { drawWidth_ = w < 1 ? 1 : w; }
    QFont Font() const { return font(); }
    void SetFont(const QFont& f) { setFont(f); }

    // The text position, in the box's scale.
    double CurrentX = 0;
    double CurrentY = 0;

    // Draws a line in the box's scale into the back buffer with DrawWidth; the text
    // position moves to the end point.
    void Line(double x1, double y1, double x2, double y2, const QColor& color);
    // Prints text at the text position; the position moves to the start of the next line.
    void Print(const QString& text);
    // Height and width of a text in the box's font, in the box's scale.
    double TextHeight(const QString& text) const;
    double TextWidth(const QString& text) const;

    // Marks drawn above the picture at every repaint (rubber bands); they never touch
    // the back buffer. The painter works in back-buffer pixels.
    void SetOverlayPainter(std::function<void(QPainter&)> painter);

    // Resizes the back buffer without a widget resize (hidden holders).
    void SetBufferSize(QSize size);

signals:
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // A hidden widget gets its resize event only when shown; the buffer follows size() at once.
    void syncBuffer() const;
    qreal wantedRatio() const;
    QRect boxRect() const;  // the bitmap's area in box pixels
    double unitX() const;  // scale units per pixel
    double unitY() const;

    mutable QImage image_;
    int scaleMode_ = vbTwips;
    QColor backColor_ = QColor(0x80, 0x80, 0x80);
    QColor foreColor_ = Qt::black;
    int drawWidth_ = 1;
    std::function<void(QPainter&)> overlay_;
    bool pressed_ = false;
    bool devicePixels_ = false;
};

}  // namespace platform
