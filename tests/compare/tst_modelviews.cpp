// The model beside or over video 1: inserting and closing it, the blend, the split view
// with its pan sliders, dragging and zooming, and the model's own effects, checked on the
// canvas pixels the user sees.

#include "CompareWindowFixture.h"
#include "compare/KeyPositionsController.h"
#include "compare/ModelGeometry.h"
#include "compare/ViewGeometry.h"
#include "compare/ViewZoom.h"
#include "platform/RuntimeError.h"

#include <QSignalSpy>

#include <array>
#include <cmath>

using namespace platform;

Q_DECLARE_METATYPE(ViewGeometry)

namespace {

constexpr int kW = 256;
constexpr int kH = 192;

// Video 1: red is the frame column, green tells the frame (20 a frame). The model: red is
// 255 - column, green 30 a frame, blue 200.
QImage videoFrame(int frame, bool model = false) {
    QImage im(kW, kH, QImage::Format_RGB32);
    for (int x = 0; x < kW; ++x)
        for (int y = 0; y < kH; ++y) im.setPixel(x, y, model ? qRgb(255 - x, 30 * frame, 200) : qRgb(x, 20 * frame, 0));
    return im;
}

// The zoomed picture's rectangle after steps "zoom X Y FACTOR" (about the canvas point) and
// "pan DX DY"; `model` is where a placement at (fitted.x + 10, fitted.y + 10, 100, 50) lands.
struct Zoomed {
    QRect fitted;
    QSize canvas;
    QStringList steps;
    QRect target, model;
};

}  // namespace

Q_DECLARE_METATYPE(Zoomed)

class TestModelViews : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    ChosenFile files_;

    // Opens a clip (or inserts the model, command 7) of the test's folder through the toolbar.
    void click(frm_Main& w, int command, const char* name = nullptr) {
        files_.Click(w, command, name ? clips_.filePath(QLatin1String(name)) : QString());
    }
    void openBoth(frm_Main& w, const char* video = "video.avi") {
        click(w, 1, video);
        click(w, 7, "model.avi");
        QVERIFY(w.Program.ModelShown);
    }
    static QRgb at(const frm_Main& w, int x, int y) { return w.pic_video->Image().pixel(x, y); }
    static QRgb at(const frm_Main& w, QPoint p) { return at(w, p.x(), p.y()); }
    // The frame column whose pixel centre is nearest canvas column x's in video 1's rectangle.
    static int column(const frm_Main& w, int x) {
        const QRect c = w.Video1.CanvasRect(), s = w.Video1.SourceRect();
        return s.x() + int(std::floor((x - c.x() + 0.5) * s.width() / c.width()));
    }
    static void split(frm_Main& w) {
        w.Toolbar1->SetValue(11, true);
        w.Toolbar_Click(11);
    }

private slots:
    void initTestCase() {
        // Stored uncompressed, so every pixel comes back exactly.
        const cliptools::ClipRecipe raw{.width = kW, .height = kH, .codec = cliptools::Codec::RawBGR24};
        QVERIFY(cliptools::WriteClip(clips_.filePath("video.avi"), raw, 4, [](int i) { return videoFrame(i); }));
        QVERIFY(cliptools::WriteClip(clips_.filePath("model.avi"), raw, 5, [](int i) { return videoFrame(i, true); }));
        QVERIFY(videoFrame(0).save(clips_.filePath("still.bmp")));
        // Two swings of known key positions: 12 frames, and a model of 23 that takes longer
        // over most of its swing (green 10 a frame).
        QVERIFY(cliptools::WriteClip(clips_.filePath("swing.avi"), raw, 12, [](int i) { return videoFrame(i); }));
        QVERIFY(cliptools::WriteClip(clips_.filePath("slowswing.avi"), raw, 23, [](int i) {
            QImage im(1, 1, QImage::Format_RGB32);  // scaled up to the clip's size
            im.fill(qRgb(90, 10 * i, 200));
            return im;
        }));
        // Wider than the canvas's shape, and of an odd width whose half rounds up.
        QVERIFY(cliptools::WriteClip(clips_.filePath("wide.avi"), {.width = 323, .height = 180, .codec = raw.codec}, 2,
                                     [](int i) { return videoFrame(i).scaled(323, 180); }));
    }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void insertingAndClosingTheModelKeepsEveryControlTrue() {
        MsgBoxRecorder boxes;
        frm_Main w;
        click(w, 1, "video.avi");
        // A cancelled dialog only lets go of the button the toolbar pressed; a model that cannot
        // be read inserts nothing either, and says so (the commands' states: derivedStates).
        w.Toolbar1->SetValue(7, true);
        click(w, 7);
        QVERIFY(!w.Program.ModelShown && !w.Toolbar1->Value(7) && boxes.calls.empty());
        click(w, 7, "still.bmp");
        QVERIFY(!w.Program.ModelShown && !w.Toolbar1->Value(7) && !boxes.calls.empty());

        // Inserted while video 1 plays, the window choice stays locked until Stop.
        frmVideoControls* c = w.VideoControls;
        c->cmdPlay->click();
        click(w, 7, "model.avi");
        QVERIFY(w.Program.ModelShown && w.Toolbar1->Value(7) && w.mnuTools[3]->isChecked());
        QCOMPARE(w.CurrentModelFrame, short(1));
        QVERIFY(c->hscrBlend->isEnabled() && !c->optWindow[1]->isEnabled() && !c->optWindow[2]->isEnabled());
        c->cmdStop->click();
        QVERIFY(c->optWindow[1]->isEnabled() && c->optWindow[2]->isEnabled());
        QCOMPARE(w.mnuFile[1]->text(), QStringLiteral("Close model"));

        // Closing it stops its playback and gives the buttons back to video 1.
        w.Toolbar_Click(8);
        QVERIFY(w.Program.ModelAdjust && w.ModelTool->isVisible());
        c->optWindow[1]->click();
        c->cmdPlay->click();
        QVERIFY(w.bothTimer->isActive() && !w.Program.Stopped);
        w.Toolbar_Click(7);  // close
        QVERIFY(!w.Program.ModelShown && !w.Program.ModelAdjust && !w.ModelTool->isVisible() && !w.Toolbar1->Value(7));
        QVERIFY(!w.bothTimer->isActive() && w.Program.Stopped && c->WindowChoice == 0 && c->optWindow[0]->isEnabled());
        QVERIFY(!c->hscrBlend->isEnabled() && !c->optWindow[1]->isEnabled() && !c->optWindow[2]->isEnabled());
        QVERIFY(!w.Model.Frame(1));
        QCOMPARE(w.mnuFile[1]->text(), QStringLiteral("Open model"));
        // The canvas is video 1 alone again, and a later model starts at frame 1 again.
        QCOMPARE(qBlue(at(w, w.pic_video->rect().center())), 0);
        w.CurrentModelFrame = 3;
        w.Toolbar_Click(7);
        QCOMPARE(w.CurrentModelFrame, short(1));
    }

    // Stepping "Both Windows" through the video controls' own buttons: with "Sync on key
    // positions" the model shows the frame at the same point of its swing (key positions set by
    // the user from the Key Positions menu, the model's kept with its clip and found again when
    // it is inserted); without it, both step one frame at a time as before.
    void bothWindowsSteppingKeepsTheSwingsInStep_data() {
        QTest::addColumn<bool>("sync");
        QTest::addColumn<bool>("early");  // the key positions set before the search has ended
        // The model frame shown at the start, after each of 12 steps forwards, then one back.
        QTest::addColumn<QList<int>>("shown");
        // Model: address 2, top 14, impact 18, finish 21 of 23 frames; clip: 1, 5, 7, 10 of 12.
        const QList<int> synced{0, 2, 5, 8, 11, 14, 16, 18, 19, 20, 21, 22, 0, 22};
        QTest::newRow("sync on") << true << false << synced;
        QTest::newRow("sync off") << false << false << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 11};
        // The user's positions outlast a search that ends after them.
        QTest::newRow("set while searching") << true << true << synced;
    }
    void bothWindowsSteppingKeepsTheSwingsInStep() {
        QFETCH(bool, sync);
        QFETCH(bool, early);
        QFETCH(QList<int>, shown);
        frm_Main w;
        QSignalSpy changed(w.SwingKeys, &KeyPositionsController::Changed);
        for (const auto& [name, keys] : {std::pair{"slowswing.avi", std::array{2, 14, 18, 21}},
                                         std::pair{"swing.avi", std::array{1, 5, 7, 10}}}) {
            changed.clear();
            click(w, 1, name);
            if (!early) QTRY_VERIFY(changed.count() >= 2);  // loaded, then searched (nothing to find here)
            for (int k = 0; k < 4; ++k) {
                w.ImgVideoFrames_Click(keys[size_t(k)]);
                w.findChild<QAction*>(QStringLiteral("mnuKeySet%1").arg(k))->trigger();
            }
            if (early) QTRY_VERIFY(changed.count() >= 6);  // loaded, four set, then searched
            QCOMPARE(w.SwingKeys->Keys(KeyPositionsController::Video1).frame, keys);
        }
        click(w, 7, "slowswing.avi");
        QCOMPARE(w.SwingKeys->Keys(KeyPositionsController::Model).frame, (std::array{2, 14, 18, 21}));
        w.VideoControls->hscrBlend->setValue(255);  // the model alone in its place
        w.VideoControls->optWindow[1]->click();
        w.VideoControls->chkSync->setChecked(sync);
        QList<int> seen, videoSeen;
        const auto press = [&](QPushButton* button, int times) {
            for (int n = 0; n < times; ++n, videoSeen << w.CurrentVideoFrame) {
                button->click();
                seen << qGreen(at(w, w.Model.placement.center())) / 10;
            }
        };
        press(w.VideoControls->cmdBackFull, 1);
        press(w.VideoControls->cmdForwardFast, 12);
        press(w.VideoControls->cmdBackFast, 1);
        QCOMPARE(videoSeen, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 11}));
        QCOMPARE(seen, shown);
    }

    void dragAndZoomPlaceTheModel_data() {
        QTest::addColumn<double>("viewZoom");  // of the canvas: the model shown enlarged as much
        QTest::newRow("whole frame") << 1.0;
        QTest::newRow("canvas zoomed 2x") << 2.0;
    }
    void dragAndZoomPlaceTheModel() {
        QFETCH(double, viewZoom);
        frm_Main w;
        openBoth(w);
        w.VideoControls->hscrBlend->setValue(255);
        w.Toolbar_Click(3);  // drawing on; adjusting the model turns it off
        w.Toolbar_Click(8);
        QVERIFY(!w.Drawing->Overlay().DrawingOn && !w.Toolbar1->Value(3));
        QVERIFY(w.Toolbar1->Value(8) && w.mnuTools[4]->isChecked());
        w.Zoom.factor = viewZoom;
        const auto shown = [&] { return w.Zoom.Map(w.Model.placement, w.Video1.CanvasRect(), w.pic_video->size()); };
        const QRect start = shown();

        // The model follows the pointer on the screen, zoomed or not.
        w.Drawing->pic_video_MouseDown(vbLeftButton, 0, start.x() + 10, start.y() + 10);
        w.Drawing->pic_video_MouseMove(vbLeftButton, 0, start.x() + 40.5f, start.y() + 3);
        const QPoint moved = shown().topLeft() - start.topLeft();
        if (viewZoom == 1) QCOMPARE(moved, QPoint(30, -7));  // 30.5 rounds to even
        QVERIFY2((moved - QPoint(30, -7)).manhattanLength() <= 2 * viewZoom, qPrintable(QString::number(moved.x())));
        QCOMPARE(w.pic_video->cursor().shape(), Qt::SizeAllCursor);
        QCOMPARE(qRed(at(w, start.x() + moved.x(), start.y() + 20)), 255);  // the model's column 0, moved
        // Outside the model the pointer says no and nothing moves.
        w.Drawing->pic_video_MouseMove(vbLeftButton, 0, 2, 2);
        QCOMPARE(w.pic_video->cursor().shape(), Qt::ForbiddenCursor);
        QCOMPARE(shown().topLeft(), start.topLeft() + moved);
        // The placement's edges count as outside: its top and left, and just past its right and
        // bottom (checked unzoomed, where canvas pixels are the placement's).
        const QRect now = shown();
        const QList<QPoint> edges{QPoint(now.right() + 1, now.center().y()), QPoint(now.center().x(), now.bottom() + 1),
                                  QPoint(now.left(), now.center().y()), QPoint(now.center().x(), now.top())};
        for (const QPoint edge : viewZoom == 1 ? edges : QList<QPoint>{}) {
            w.Drawing->pic_video_MouseMove(vbLeftButton, 0, edge.x(), edge.y());
            QVERIFY2(w.pic_video->cursor().shape() == Qt::ForbiddenCursor, qPrintable(QString::number(edge.x())));
        }
        w.Drawing->pic_video_MouseUp(vbLeftButton, 0, 2, 2);
        w.Zoom.Reset();

        const QPoint centre = w.Model.placement.center();
        w.ModelTool->scrZoom->setValue(200);
        QCOMPARE(w.Model.placement.size(), QSize(2 * kW, 2 * kH));
        QVERIFY((w.Model.placement.center() - centre).manhattanLength() <= 1);
        w.ModelTool->scrZoom->setValue(37);
        w.ModelTool->scrZoom->setValue(100);
        QCOMPARE(w.Model.placement.size(), QSize(kW, kH));
        QVERIFY((w.Model.placement.center() - centre).manhattanLength() <= 2);

        // The close box is the toolbar command.
        QVERIFY(!w.ModelTool->close());
        QVERIFY(!w.Program.ModelAdjust && !w.Toolbar1->Value(8) && !w.mnuTools[4]->isChecked());
    }

    // Picture pixels (their centres) onto the canvas and back, through fit, pan, mirror, zoom.
    void viewGeometryMapsPixelCentres_data() {
        QTest::addColumn<ViewGeometry>("view");
        QTest::addColumn<QPointF>("picture");
        QTest::addColumn<QPointF>("canvas");
        const QRect clip(0, 0, 256, 192);
        QTest::newRow("fitted, centred") << ViewGeometry{{0, 0, 320, 240}, {80, 0, 640, 480}} << QPointF(5, 5)
                                         << QPointF(90.5, 10.5);
        QTest::newRow("panned half") << ViewGeometry{{100, 0, 128, 192}, clip} << QPointF(100, 10) << QPointF(0.5, 10);
        QTest::newRow("mirrored, panned") << ViewGeometry{{40, 0, 128, 192}, {10, 0, 128, 192}, true} << QPointF(40, 0)
                                          << QPointF(137, 0);
        QTest::newRow("zoomed") << ViewGeometry{{0, 0, 100, 100}, {0, 0, 100, 100}, false, 2.0} << QPointF(0, 49.5)
                                << QPointF(-49.5, 49.5);
        QTest::newRow("nothing shown") << ViewGeometry{QRect(), clip, true} << QPointF(3, 4) << QPointF(3, 4);
    }
    void viewGeometryMapsPixelCentres() {
        QFETCH(ViewGeometry, view);
        QFETCH(QPointF, picture);
        QFETCH(QPointF, canvas);
        QCOMPARE(view.PictureToCanvas().map(picture), canvas);
        QCOMPARE(view.CanvasToPicture().map(canvas), picture);
        QCOMPARE(view.Clip(), view.source.isEmpty() ? QRect() : view.target);
    }

    // Zooming about a point keeps the picture under it, and the picture always covers the canvas
    // it is larger than. (Zooming about the pointer, to eight times at most, and panning in the
    // window are in the canvas drawing tests.)
    void zoomKeepsThePointerAndTheCanvasCovered_data() {
        QTest::addColumn<Zoomed>("z");
        const QRect full(0, 0, 640, 480), boxed(80, 0, 640, 480);
        const QSize c(640, 480), wide(800, 480);
        QTest::newRow("whole frame") << Zoomed{boxed, wide, {}, boxed, {90, 10, 100, 50}};
        QTest::newRow("about the middle")
            << Zoomed{boxed, wide, {"zoom 400 240 2"}, {-240, -240, 1280, 960}, {-220, -220, 200, 100}};
        QTest::newRow("narrower than the canvas: centred")
            << Zoomed{boxed, wide, {"zoom 700 0 1.2"}, {16, 0, 768, 576}, {28, 12, 120, 60}};
        QTest::newRow("panned past the edge, and back at once")
            << Zoomed{full, c, {"zoom 160 120 2", "pan 500 -900", "pan -100 0"}, {-100, -480, 1280, 960}, {-80, -460, 200, 100}};
        QTest::newRow("out about a corner, held inside")
            << Zoomed{full, c, {"zoom 640 480 4", "zoom 0 0 2"}, {-640, -480, 1280, 960}, {-620, -460, 200, 100}};
        QTest::newRow("out below one: the whole frame")
            << Zoomed{full, c, {"zoom 10 10 4", "pan 30 30", "zoom 10 10 0.5"}, full, {10, 10, 100, 50}};
    }
    void zoomKeepsThePointerAndTheCanvasCovered() {
        QFETCH(Zoomed, z);
        ViewZoom zoom;
        for (const QString& step : z.steps) {
            const QStringList a = step.split(QLatin1Char(' '));
            const QPointF at(a[1].toDouble(), a[2].toDouble());
            if (a[0] == QLatin1String("pan"))
                zoom.PanBy(at, z.fitted, z.canvas);
            else
                zoom.ZoomAbout(at, a[3].toDouble(), z.fitted, z.canvas);
        }
        QCOMPARE(zoom.Target(z.fitted, z.canvas), z.target);
        QCOMPARE(zoom.Map(QRect(z.fitted.topLeft() + QPoint(10, 10), QSize(100, 50)), z.fitted, z.canvas), z.model);
    }

    void placementArithmeticRoundsAndNeverOverflows() {
        QCOMPARE(MovedPlacement(QRect(10, 10, 50, 40), QPoint(0, 0), QPointF(2.5, -3.5)), QRect(12, 6, 50, 40));
        QCOMPARE(ZoomedPlacement(QRect(100, 100, 320, 240), 150, 320, 240), QRect(20, 40, 480, 360));
        // A refit keeps the model on the same place of the picture, scaled with it on each axis.
        QCOMPARE(RefittedPlacement(QRect(110, 60, 100, 50), QRect(10, 10, 400, 300), QRect(20, 0, 800, 450)), QRect(220, 75, 200, 75));
        // A drag towards the end of the range is refused whole, not wrapped round.
        const QRect far(std::numeric_limits<int>::max() - 100, 0, 50, 40);
        QCOMPARE(MovedPlacement(far, QPoint(0, 0), QPointF(40, 0)).right(), std::numeric_limits<int>::max() - 11);
        bool raised = false;
        try {
            MovedPlacement(far, QPoint(0, 0), QPointF(60, 0));
        } catch (const RuntimeError& e) {
            raised = e.Number() == errOverflow;
        }
        QVERIFY(raised);
        // 80.5 to even; nothing to pan when the half holds the whole width.
        for (const auto& [maximum, r] : {std::pair{161, PanRange{161, 80, 16}}, std::pair{-4, PanRange{0, 0, 0}}}) {
            QCOMPARE(SplitPanRange(maximum).maximum, r.maximum);
            QCOMPARE(SplitPanRange(maximum).value, r.value);
            QCOMPARE(SplitPanRange(maximum).largeStep, r.largeStep);
        }
    }

    void splitViewShowsBothHalvesWithTheirPans() {
        frm_Main w;
        openBoth(w);
        const QRect fullCanvas = w.Video1.CanvasRect();
        split(w);
        QVERIFY(!w.Program.FullWindow && w.mnuTools[7]->isChecked() && !w.mnuTools[6]->isChecked());
        QVERIFY(!w.hscrAvi1->isHidden() && !w.hscrAvi2->isHidden());
        // Each half shows, at the full view's scale, the part of the frame's width it holds
        // (about half of it here); the slider reaches the rest and starts in the middle.
        const int shownWidth = w.Video1.SourceRect().width();
        QVERIFY(std::abs(shownWidth - kW / 2) <= 1);
        QCOMPARE(w.hscrAvi1->maximum(), kW - shownWidth);
        QCOMPARE(w.hscrAvi1->value(), int(std::lrint((kW - shownWidth) / 2.0)));
        QVERIFY(std::abs(w.Video1.CanvasRect().width() - fullCanvas.width() / 2) <= 1);
        QCOMPARE(w.Model.CanvasRect().left(), w.Video1.CanvasRect().right() + 1);  // no gap

        const int y = w.pic_video->height() / 2;
        const int leftX = w.Video1.CanvasRect().center().x(), rightX = w.Model.CanvasRect().center().x();
        QCOMPARE(qRed(at(w, leftX, y)), column(w, leftX));
        QCOMPARE(qBlue(at(w, rightX, y)), 200);
        w.hscrAvi1->setValue(0);
        QCOMPARE(qRed(at(w, leftX, y)), column(w, leftX));
        // A model change repaints only the right half: inverted, not mirrored (the blend and the
        // marks over it: the compositor tests').
        const QRgb leftBefore = at(w, leftX, y), modelBefore = at(w, rightX + 20, y);
        w.ModelTool->chkFlags[0]->setChecked(true);
        QCOMPARE(qBlue(at(w, rightX, y)), 55);
        QCOMPARE(qRed(at(w, rightX + 20, y)), 255 - qRed(modelBefore));
        QCOMPARE(at(w, leftX, y), leftBefore);
        w.ModelTool->chkFlags[1]->setChecked(true);  // and mirrored within its half
        const QRect half = w.Model.CanvasRect();
        QVERIFY(std::abs(qRed(at(w, half.left() + half.right() - rightX - 20, y)) - (255 - qRed(modelBefore))) <= 2);

        // Back to the full view, once however often it is chosen.
        w.mnuTools_Click(6);
        w.mnuTools_Click(6);
        QVERIFY(w.Program.FullWindow && w.Toolbar1->Value(10) && !w.Toolbar1->Value(11));
        QCOMPARE(w.Video1.CanvasRect(), fullCanvas);
        QCOMPARE(w.Video1.panX, 0);
        QVERIFY(w.hscrAvi1->isHidden() && w.hscrAvi2->isHidden());
        QCOMPARE(w.Model.SourceRect(), QRect(0, 0, kW, kH));
        // Split chosen twice halves once.
        w.mnuTools_Click(7);
        const QRect halved = w.Video1.CanvasRect();
        w.mnuTools_Click(7);
        QCOMPARE(w.Video1.CanvasRect(), halved);
        QVERIFY(std::abs(halved.width() - fullCanvas.width() / 2) <= 1);
        // A picture opened in the split view comes up in the full view, blended at once, and
        // stays there when the split view is chosen.
        w.VideoControls->hscrBlend->setValue(255);
        click(w, 1, "still.bmp");
        QCOMPARE(w.ClipKind, 1);
        w.mnuTools_Click(7);
        QVERIFY(w.Program.FullWindow && w.Toolbar1->Value(10) && !w.Toolbar1->Value(11));
        QVERIFY(w.hscrAvi1->isHidden() && w.hscrAvi2->isHidden());
        QCOMPARE(qBlue(at(w, w.Model.placement.center())), 255 - 200);  // the model, still inverted
        // Inserting a model in the split view returns to the blended full view.
        click(w, 1, "video.avi");
        w.mnuTools_Click(7);
        w.Toolbar_Click(7);
        click(w, 7, "model.avi");
        QVERIFY(w.Program.FullWindow && w.Toolbar1->Value(10));
        QCOMPARE(w.Video1.CanvasRect(), fullCanvas);
    }

    // A wide clip is cut on both sides by its fit: the model's half starts where video 1's
    // ends. Panned to its end, the left half still lies inside the odd-width frame.
    void splitViewOfAWideOddClipLeavesNoGap() {
        MsgBoxRecorder boxes;
        frm_Main w;
        openBoth(w, "wide.avi");
        split(w);
        QCOMPARE(w.Model.CanvasRect().left(), w.Video1.CanvasRect().right() + 1);
        for (int pan : {w.hscrAvi1->maximum(), 0}) {
            w.hscrAvi1->setValue(pan);
            QVERIFY(QRect(0, 0, 323, 180).contains(w.Video1.SourceRect()));
            // Every column shows video 1 (blue 0) or the model (blue 200), never the background.
            for (int x = 0, y = w.pic_video->height() / 2; x < w.pic_video->width(); ++x)
                QVERIFY2(qBlue(at(w, x, y)) == 0 || qBlue(at(w, x, y)) == 200, qPrintable(QString::number(x)));
        }
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestModelViews)
#include "tst_modelviews.moc"
