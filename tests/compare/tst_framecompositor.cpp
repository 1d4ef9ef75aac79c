// The frame compositor on its own: every canvas pixel against a model of what the view shows,
// at the canvas's scale and at the frame's own; and the canvas painter, which paints what the
// window's controls say through it.

#include "clips/FrameStore.h"
#include "compare/CanvasPainter.h"
#include "compare/FrameCompositor.h"
#include "imaging/cDIBSection.h"
#include "overlay/OverlayModel.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"

#include <QTest>

#include <algorithm>
#include <tuple>

using platform::kEffectInvert;
using platform::kEffectMirror;

namespace {

// Every pixel tells where it comes from: x and y in two channels, the clip in the third.
QRgb source(int x, int y, bool model) { return qRgb(x * 5, y * 10, model ? 220 : 40); }

std::unique_ptr<cDIBSection> frameOf(int w, int h, bool model) {
    QImage im(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) im.setPixel(x, y, source(x, y, model));
    auto dib = std::make_unique<cDIBSection>();
    dib->CreateFromPicture(im);
    return dib;
}

QRgb withEffects(QRgb c, int amount, int flags) {
    auto ch = [&](int v) {
        v = std::clamp(v + amount, 0, 255);
        return flags & kEffectInvert ? 255 - v : v;
    };
    return qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c)));
}

// The pixel of a clip's region that lands at canvas point p (integer scales only), or false.
bool sample(const QRect& src, const QRect& dst, QPoint p, int amount, int flags, bool model, QRgb& out) {
    if (!dst.contains(p)) return false;
    int x = src.x() + (p.x() - dst.x()) * src.width() / dst.width();
    const int y = src.y() + (p.y() - dst.y()) * src.height() / dst.height();
    if (flags & kEffectMirror) x = src.x() + src.right() - x;  // mirrored within the region
    out = withEffects(source(x, y, model), amount, flags);
    return true;
}

QRgb expected(const CompositeGeometry& g, const CompositeEffects& e, QPoint p) {
    QRgb c = e.background.rgb();
    sample(g.frameSource, g.frameCanvas, p, e.frameBrightness, e.frameFlags, false, c);
    if (!g.modelShown) return c;
    QRgb m = e.modelBackground.rgb();
    const bool onModel = sample(g.modelSource, g.modelCanvas, p, e.modelBrightness, e.modelFlags, true, m);
    if (g.split) return onModel ? m : c;
    auto mix = [&](int d, int s) { return d + ((s - d) * e.blend + (s > d ? 127 : -127)) / 255; };
    return qRgb(mix(qRed(c), qRed(m)), mix(qGreen(c), qGreen(m)), mix(qBlue(c), qBlue(m)));
}

bool near(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))}) <= 1;
}

}  // namespace

Q_DECLARE_METATYPE(CompositeGeometry)
Q_DECLARE_METATYPE(CompositeEffects)

class TestFrameCompositor : public QObject {
    Q_OBJECT
private slots:
    void composesWhatTheViewShows_data() {
        QTest::addColumn<CompositeGeometry>("g");
        QTest::addColumn<CompositeEffects>("e");
        // Video 1 is 40x20, the model 20x10; the canvas 120x60, everything at scale 2.
        const CompositeEffects plain{.background = QColor(1, 2, 3), .modelBackground = QColor(200, 100, 50)};
        CompositeEffects effects = plain;
        effects.frameBrightness = 60;
        effects.frameFlags = kEffectInvert | kEffectMirror;
        effects.blend = 200;  // a hidden model takes no part
        const CompositeGeometry full{{0, 0, 40, 20}, {20, 10, 80, 40}, false, false, {}, {}};
        QTest::newRow("full view") << full << plain;
        // A part of the frame: effects and mirror on it alone.
        QTest::newRow("effects on the shown region")
            << CompositeGeometry{{10, 4, 20, 10}, {10, 10, 40, 20}, false, false, {}, {}} << effects;
        CompositeGeometry blend = full;
        blend.modelShown = true;
        blend.modelSource = {0, 0, 20, 10};
        blend.modelCanvas = {50, 20, 40, 20};  // part over the frame, part over the background
        CompositeEffects mixed = plain;
        mixed.blend = 100;
        mixed.modelBrightness = -40;
        mixed.modelFlags = kEffectMirror;
        QTest::newRow("blend with the model") << blend << mixed;
        CompositeEffects both = effects;
        both.modelFlags = kEffectInvert;
        both.blend = 255;  // no part in the split view
        QTest::newRow("split view") << CompositeGeometry{{8, 0, 30, 20}, {0, 10, 60, 40}, true, true, {0, 0, 20, 10}, {60, 20, 40, 20}}
                                    << both;
        // The split view's halves with the model closed: its half stays empty.
        QTest::newRow("split view, no model") << CompositeGeometry{{8, 0, 30, 20}, {0, 10, 60, 40}, true, false, {0, 0, 20, 10}, {60, 20, 40, 20}}
                                              << both;
    }
    void composesWhatTheViewShows() {
        QFETCH(CompositeGeometry, g);
        QFETCH(CompositeEffects, e);
        const auto frame = frameOf(40, 20, false);
        const auto model = frameOf(20, 10, true);
        const QImage storedBefore = frame->HDC()->copy();
        FrameCompositor c;
        // A blend painted first: a model hidden since leaves no trace of it.
        c.Compose(frame.get(), model.get(), {{0, 0, 40, 20}, {20, 10, 80, 40}, false, true, {0, 0, 20, 10}, {50, 20, 40, 20}},
                  {.blend = 100, .modelBackground = Qt::white}, QSize(120, 60));
        // Twice: the holders' effects of one paint must not add up in the next.
        for (int round = 0; round < 2; ++round) {
            const QImage& canvas = c.Compose(frame.get(), model.get(), g, e, QSize(120, 60));
            QCOMPARE(canvas.size(), QSize(120, 60));
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 120; ++x)
                    QVERIFY2(near(canvas.pixel(x, y), expected(g, e, {x, y})),
                             qPrintable(QStringLiteral("%1,%2: %3").arg(x).arg(y).arg(canvas.pixel(x, y), 0, 16)));
        }
        QCOMPARE(*frame->HDC(), storedBefore);  // the store's frame is never changed

        // At the frame's own resolution: the same picture at half the canvas's scale.
        const QImage picture = c.ComposeAtFrameSize(frame.get(), model.get(), g, e);
        const QRect area = g.split && g.modelShown ? g.frameCanvas.united(g.modelCanvas) : g.frameCanvas;
        QCOMPARE(picture.size(), area.size() / 2);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                QVERIFY(near(picture.pixel(x, y), expected(g, e, area.topLeft() + QPoint(2 * x, 2 * y))));

        // The canvas painter, given the stores and the controls this view comes from, paints the same
        // canvas step by step (in its one colour around both), then has the marks drawn over it.
        FrameStore video1, stored;
        video1.Put(0, frameOf(40, 20, false));
        stored.Put(0, frameOf(20, 10, true));
        const QRect& s = g.frameSource;
        std::tie(video1.panX, video1.panY, video1.sourceWidth, video1.sourceHeight) = std::tuple(s.x(), s.y(), s.width(), s.height());
        video1.fit = {2, g.frameCanvas.x(), g.frameCanvas.y(), g.frameCanvas.width(), g.frameCanvas.height()};
        std::tie(stored.sourceWidth, stored.sourceHeight, stored.placement) = std::tuple(20, 10, g.modelCanvas);
        stored.fit = {2, g.modelCanvas.x(), g.modelCanvas.y(), g.modelCanvas.width(), g.modelCanvas.height()};
        platform::PictureBox box;
        box.resize(120, 60);
        box.SetBackColor(e.background);
        box.Cls();
        const CanvasControls controls{g.modelShown, !g.split, g.split, e.frameBrightness, (e.frameFlags & kEffectInvert) != 0,
                                      (e.frameFlags & kEffectMirror) != 0, e.modelBrightness, (e.modelFlags & kEffectInvert) != 0,
                                      (e.modelFlags & kEffectMirror) != 0, e.blend};
        OverlayModel marks;
        QList<short> shown;
        int markPaints = 0;
        CanvasPainter painter(video1, stored,
                              {[&] { return controls; }, [&]() -> platform::PictureBox& { return box; },
                               [&]() -> OverlayModel& { return marks; }, [&] { ++markPaints; }, [] { return short(0); },
                               [&](short f) { shown << f; }});
        QVERIFY(painter.PasteAvi(0));
        painter.ModelDraw(0);  // blended under video 1 painted again, or beside it; nothing without a model
        CompositeEffects onBox = e;
        onBox.modelBackground = e.background;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 120; ++x) QVERIFY(near(box.Image().pixel(x, y), expected(g, onBox, {x, y})));
        QCOMPARE(painter.Flags(), e.frameFlags);
        QCOMPARE(shown, QList<short>(g.modelShown && !g.split ? 2 : 1, 0));
        QCOMPARE(markPaints, g.modelShown ? 2 : 1);
        QCOMPARE(marks.CanvasClip(), g.frameCanvas);
    }

};

QTEST_MAIN(TestFrameCompositor)
#include "tst_framecompositor.moc"
