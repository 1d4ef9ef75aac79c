// The model beside or over video 1: inserting and closing it, the blend, the split view
// with its pan sliders, dragging and zooming, and the model's own effects, checked on the
// canvas pixels the user sees.

#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "TestDesktop.h"
#include "compare/KeyPositionsController.h"
#include "compare/ModelGeometry.h"
#include "compare/ViewGeometry.h"
#include "compare/ViewZoom.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cmath>

using namespace platform;

namespace {

constexpr int kW = 256;
constexpr int kH = 192;

// Video 1: red is the frame column, green tells the frame. The model: red is 255 - column,
// blue 200. Stored uncompressed, so every pixel comes back exactly.
QImage videoFrame(int frame) {
    QImage im(kW, kH, QImage::Format_RGB32);
    for (int x = 0; x < kW; ++x)
        for (int y = 0; y < kH; ++y) im.setPixel(x, y, qRgb(x, 20 * frame, 0));
    return im;
}
QImage modelFrame(int frame) {
    QImage im(kW, kH, QImage::Format_RGB32);
    for (int x = 0; x < kW; ++x)
        for (int y = 0; y < kH; ++y) im.setPixel(x, y, qRgb(255 - x, 30 * frame, 200));
    return im;
}

}  // namespace

class TestModelViews : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    FileDialogResult answer_;
    std::vector<FileDialogRequest> requests_;

    QString clip(const char* name) const { return clips_.filePath(QLatin1String(name)); }
    static FileDialogResult chose(const QString& path) {
        FileDialogResult r;
        r.accepted = true;
        r.path = path;
        r.filterIndex = 1;
        return r;
    }

    // Opens video 1 and inserts the model through the real commands.
    void openBoth(frm_Main& w) {
        answer_ = chose(clip("video.avi"));
        w.Toolbar_Click(1);
        QCOMPARE(w.Video1.frameCount, short(4));
        answer_ = chose(clip("model.avi"));
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown);
    }
    static QRgb at(const frm_Main& w, int x, int y) { return w.pic_video->Image().pixel(x, y); }
    // The frame column that canvas column x shows in video 1's canvas rectangle.
    static int column(const frm_Main& w, int x) {
        const QRect c = w.Video1.CanvasRect();
        const QRect s = w.Video1.SourceRect();
        // The source pixel whose centre is nearest the canvas pixel's centre.
        return s.x() + int(std::floor((x - c.x() + 0.5) * s.width() / c.width()));
    }

private slots:
    void initTestCase() {
        cliptools::ClipSpec clipFormat;
        clipFormat.width = kW;
        clipFormat.height = kH;
        clipFormat.codec = cliptools::Codec::RawBGR24;
        QVERIFY(cliptools::WriteClip(clip("video.avi"), clipFormat, 4, videoFrame));
        QVERIFY(cliptools::WriteClip(clip("model.avi"), clipFormat, 5, modelFrame));
        QVERIFY(videoFrame(0).save(clip("still.bmp")));
        // Wider than the canvas's shape, and of an odd width whose half rounds up.
        clipFormat.width = 323;
        clipFormat.height = 180;
        QVERIFY(cliptools::WriteClip(clip("wide.avi"), clipFormat, 2,
                                     [](int i) { return videoFrame(i).scaled(323, 180); }));
        // Two swings of known key positions; the model takes longer over most of its swing.
        // Green tells the frame: 20 per frame in the clip, 10 in the model.
        QVERIFY(cliptools::WriteClip(clip("swing.avi"), clipFormat, 12, [](int i) { return videoFrame(i).scaled(kW, kH); }));
        QVERIFY(cliptools::WriteClip(clip("slowswing.avi"), clipFormat, 23, [](int i) {
            QImage im(kW, kH, QImage::Format_RGB32);
            im.fill(qRgb(90, 10 * i, 200));
            return im;
        }));
        SetFileDialogAnswerer([this](const FileDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void cleanupTestCase() { SetFileDialogAnswerer({}); }
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        requests_.clear();
    }
    void cleanup() { desktop_.reset(); }

    void insertingAndClosingTheModelKeepsEveryControlTrue() {
        MsgBoxRecorder boxes;
        frm_Main w;
        answer_ = chose(clip("video.avi"));
        w.Toolbar_Click(1);
        // A cancelled dialog only lets go of the button the toolbar pressed.
        answer_ = {};
        w.Toolbar1->SetValue(7, true);
        w.mnuFile_Click(1);
        QCOMPARE(requests_.back().title, QStringLiteral("Open AVI File"));
        QCOMPARE(requests_.back().filters.size(), size_t(2));
        QCOMPARE(requests_.back().filters[0].description, QStringLiteral("Video Files"));
        QCOMPARE(requests_.back().filters[1], (FileFilterPair{QStringLiteral("AVI Files"), QStringLiteral("*.avi")}));
        QVERIFY(!w.Toolbar1->Value(7));
        QVERIFY(!G().ModelShown);
        QVERIFY(!w.Toolbar1->Enabled(8));
        // A model that cannot be read inserts nothing either.
        answer_ = chose(clip("still.bmp"));
        w.Toolbar_Click(7);
        QVERIFY(!G().ModelShown);
        QVERIFY(!w.Toolbar1->Value(7));
        QCOMPARE(w.mnuFile[1]->text(), QStringLiteral("&Open model"));
        QVERIFY(!boxes.calls.empty());

        answer_ = chose(clip("model.avi"));
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown);
        QCOMPARE(w.CurrentModelFrame, short(1));
        QCOMPARE(G().ModelDir, QDir::cleanPath(clips_.path()) + QLatin1Char('/'));
        QVERIFY(w.Toolbar1->Value(7));
        QVERIFY(w.Toolbar1->Enabled(8));
        QVERIFY(w.mnuTools[3]->isChecked());
        QVERIFY(w.mnuTools[4]->isEnabled());
        QCOMPARE(w.mnuFile[1]->text(), QStringLiteral("Close model"));
        QVERIFY(w.VideoControls->hscrBlend->isEnabled());
        QVERIFY(w.VideoControls->optWindow[1]->isEnabled() && w.VideoControls->optWindow[2]->isEnabled());
        QCOMPARE(w.Compositor.ModelSurface().size(), w.pic_video->Image().size());

        w.Toolbar_Click(8);
        QVERIFY(G().ModelAdjust && w.ModelTool->isVisible());
        w.Toolbar_Click(7);  // close
        QVERIFY(!G().ModelShown && !G().ModelAdjust);
        QVERIFY(!w.ModelTool->isVisible());
        QVERIFY(!w.Toolbar1->Value(7) && !w.Toolbar1->Value(8) && !w.Toolbar1->Enabled(8));
        QVERIFY(!w.mnuTools[3]->isChecked() && !w.mnuTools[4]->isEnabled());
        QCOMPARE(w.mnuFile[1]->text(), QStringLiteral("Open model"));
        QVERIFY(!w.VideoControls->hscrBlend->isEnabled() && !w.VideoControls->optWindow[2]->isEnabled());
        QVERIFY(!w.Model.Frame(1));
        // The canvas is video 1 alone again, and a later model starts at frame 1 again.
        QCOMPARE(qBlue(at(w, w.pic_video->width() / 2, w.pic_video->height() / 2)), 0);
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
        QTest::newRow("sync on") << true << false << QList<int>{0, 2, 5, 8, 11, 14, 16, 18, 19, 20, 21, 22, 0, 22};
        QTest::newRow("sync off") << false << false << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 11};
        // The user's positions outlast a search that ends after them.
        QTest::newRow("set while searching")
            << true << true << QList<int>{0, 2, 5, 8, 11, 14, 16, 18, 19, 20, 21, 22, 0, 22};
    }
    void bothWindowsSteppingKeepsTheSwingsInStep() {
        QFETCH(bool, sync);
        QFETCH(bool, early);
        QFETCH(QList<int>, shown);
        frm_Main w;
        QSignalSpy changed(w.SwingKeys, &KeyPositionsController::Changed);
        const auto mark = [&](const char* name, std::array<int, 4> keys) {
            answer_ = chose(clip(name));
            changed.clear();
            w.Toolbar_Click(1);
            if (!early) QTRY_VERIFY(changed.count() >= 2);  // loaded, then searched (nothing to find here)
            for (int k = 0; k < 4; ++k) {
                w.ImgVideoFrames_Click(keys[size_t(k)]);
                w.findChild<QAction*>(QStringLiteral("mnuKeySet%1").arg(k))->trigger();
            }
            if (early) QTRY_VERIFY(changed.count() >= 6);  // loaded, four set, then searched
            QCOMPARE(w.SwingKeys->Keys(KeyPositionsController::Video1).frame, keys);
        };
        mark("slowswing.avi", {2, 14, 18, 21});
        mark("swing.avi", {1, 5, 7, 10});
        answer_ = chose(clip("slowswing.avi"));
        w.Toolbar_Click(7);
        QCOMPARE(w.SwingKeys->Keys(KeyPositionsController::Model).frame, (std::array<int, 4>{2, 14, 18, 21}));
        w.VideoControls->hscrBlend->setValue(255);  // the model alone in its place
        w.VideoControls->optWindow[1]->click();
        w.VideoControls->chkSync->setChecked(sync);

        const QPoint centre = w.Model.placement.center();
        QList<int> seen, videoSeen;
        const auto look = [&] {
            seen << qGreen(at(w, centre.x(), centre.y())) / 10;
            videoSeen << w.CurrentVideoFrame;
        };
        w.VideoControls->cmdBackFull->click();
        look();
        for (int step = 0; step < 12; ++step) {
            w.VideoControls->cmdForwardFast->click();
            look();
        }
        w.VideoControls->cmdBackFast->click();
        look();
        QCOMPARE(videoSeen, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 11}));
        QCOMPARE(seen, shown);
    }

    void blendMixesTheWholeModelSurfaceUnderTheMarks() {
        frm_Main w;
        openBoth(w);
        const QRect m = w.Model.placement;
        QCOMPARE(m.size(), QSize(kW, kH));
        const QPoint inside = m.center();
        const QPoint outside(m.x() - 5, m.center().y());
        const QRgb video = w.Video1.Frame(0)->HDC()->pixel(column(w, inside.x()), 10);
        const QRgb model = qRgb(255 - (inside.x() - m.x()), 30, 200);  // model frame 1
        const QRgb background = w.EffectSettings().modelBackground.rgb();

        w.VideoControls->hscrBlend->setValue(0);
        w.PasteAvi(0);
        QCOMPARE(at(w, inside.x(), inside.y()) & 0xFFFFFF, video & 0xFFFFFF);
        w.VideoControls->hscrBlend->setValue(255);
        w.PasteAvi(0);
        QCOMPARE(at(w, inside.x(), inside.y()) & 0xFFFFFF, model & 0xFFFFFF);
        QCOMPARE(at(w, outside.x(), outside.y()) & 0xFFFFFF, background & 0xFFFFFF);
        w.VideoControls->hscrBlend->setValue(128);
        w.PasteAvi(0);
        const QRgb mixed = at(w, inside.x(), inside.y());
        auto mix = [](int a, int b) { return (a * 127 + b * 128) / 255.0; };
        QVERIFY(qAbs(qRed(mixed) - mix(qRed(video), qRed(model))) <= 1);
        QVERIFY(qAbs(qBlue(mixed) - mix(qBlue(video), qBlue(model))) <= 1);

        // The marks lie over the blend, unmixed.
        VLine* line = w.Drawing->Overlay().NewLine();
        QVERIFY(line);
        const QPointF from = w.Drawing->Overlay().ToPicture(QPointF(20, 30));
        const QPointF to = w.Drawing->Overlay().ToPicture(QPointF(200, 30));
        line->SetX1(from.x());
        line->SetY1(from.y());
        line->SetX2(to.x());
        line->SetY2(to.y());
        line->SetBorderColor(0x0000FF);
        line->SetBorderWidth(3);
        w.PasteAvi(0);
        QCOMPARE(at(w, 100, 30) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);

        // The model's own effects show in the blend: inverted, then inverted and mirrored.
        w.ModelTool->chkFlags[0]->setChecked(true);
        w.VideoControls->hscrBlend->setValue(255);
        w.PasteAvi(0);
        QCOMPARE(qBlue(at(w, inside.x(), inside.y())), 55);
        QCOMPARE(qRed(at(w, m.x() + 10, inside.y())), 255 - (255 - 10));
        w.ModelTool->chkFlags[1]->setChecked(true);
        QCOMPARE(qRed(at(w, m.x() + 10, inside.y())), 255 - 10);  // column 245 of the model, inverted
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
        if (viewZoom == 1)
            QCOMPARE(moved, QPoint(30, -7));  // 30.5 rounds to even
        else
            QVERIFY2((moved - QPoint(30, -7)).manhattanLength() <= 2 * viewZoom, qPrintable(QString::number(moved.x())));
        QCOMPARE(w.pic_video->cursor().shape(), Qt::SizeAllCursor);
        QCOMPARE(qRed(at(w, start.x() + moved.x(), start.y() + 20)), 255);  // the model's column 0, moved
        // Outside the model the pointer says no and nothing moves.
        w.Drawing->pic_video_MouseMove(vbLeftButton, 0, 2, 2);
        QCOMPARE(w.pic_video->cursor().shape(), Qt::ForbiddenCursor);
        QCOMPARE(shown().topLeft(), start.topLeft() + moved);
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
        QVERIFY(!G().ModelAdjust && !w.Toolbar1->Value(8) && !w.mnuTools[4]->isChecked());
    }

    // Picture pixels (their centres) onto the canvas and back, through fit, pan, mirror, zoom.
    void viewGeometryMapsPixelCentres_data() {
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPointF>("picture");
        QTest::addColumn<QPointF>("canvas");
        const QRect clip(0, 0, 256, 192);
        QTest::newRow("one to one") << clip << clip << false << 1.0 << QPointF(10, 20) << QPointF(10, 20);
        QTest::newRow("fitted, centred") << QRect(0, 0, 320, 240) << QRect(80, 0, 640, 480) << false << 1.0
                                         << QPointF(5, 5) << QPointF(90.5, 10.5);
        QTest::newRow("panned half") << QRect(100, 0, 128, 192) << clip << false << 1.0 << QPointF(100, 10)
                                     << QPointF(0.5, 10);
        QTest::newRow("mirrored") << clip << clip << true << 1.0 << QPointF(0, 5) << QPointF(255, 5);
        QTest::newRow("mirrored, panned") << QRect(40, 0, 128, 192) << QRect(10, 0, 128, 192) << true << 1.0
                                          << QPointF(40, 0) << QPointF(137, 0);
        QTest::newRow("zoomed") << QRect(0, 0, 100, 100) << QRect(0, 0, 100, 100) << false << 2.0
                                << QPointF(0, 49.5) << QPointF(-49.5, 49.5);
        QTest::newRow("nothing shown") << QRect() << clip << true << 1.0 << QPointF(3, 4) << QPointF(3, 4);
    }
    void viewGeometryMapsPixelCentres() {
        QFETCH(QRect, source);
        QFETCH(QRect, target);
        QFETCH(bool, mirror);
        QFETCH(double, zoom);
        QFETCH(QPointF, picture);
        QFETCH(QPointF, canvas);
        const ViewGeometry view{source, target, mirror, zoom};
        QCOMPARE(view.PictureToCanvas().map(picture), canvas);
        QCOMPARE(view.CanvasToPicture().map(canvas), picture);
        QCOMPARE(view.Clip(), source.isEmpty() ? QRect() : target);
    }

    // The zoomed picture's rectangle after steps "zoom X Y FACTOR" (about the canvas point) and
    // "pan DX DY"; "model" is where a placement at (FITTED.x + 10, FITTED.y + 10, 100, 50) lands.
    void zoomKeepsThePointerAndTheCanvasCovered_data() {
        QTest::addColumn<QRect>("fitted");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<QRect>("model");
        const QRect full(0, 0, 640, 480), boxed(80, 0, 640, 480);
        const QSize c(640, 480), wide(800, 480);
        QTest::newRow("whole frame") << boxed << wide << QStringList{} << boxed << QRect(90, 10, 100, 50);
        QTest::newRow("about the middle") << boxed << wide << QStringList{"zoom 400 240 2"}
                                          << QRect(-240, -240, 1280, 960) << QRect(-220, -220, 200, 100);
        QTest::newRow("narrower than the canvas: centred")
            << boxed << wide << QStringList{"zoom 700 0 1.2"} << QRect(16, 0, 768, 576)
            << QRect(28, 12, 120, 60);
        QTest::newRow("about a quarter") << full << c << QStringList{"zoom 160 120 2"}
                                         << QRect(-160, -120, 1280, 960) << QRect(-140, -100, 200, 100);
        QTest::newRow("panned") << full << c << QStringList{"zoom 160 120 2", "pan 100 50"}
                                << QRect(-60, -70, 1280, 960) << QRect(-40, -50, 200, 100);
        QTest::newRow("panned past the edge, and back at once")
            << full << c << QStringList{"zoom 160 120 2", "pan 500 -900", "pan -100 0"}
            << QRect(-100, -480, 1280, 960) << QRect(-80, -460, 200, 100);
        QTest::newRow("held to eight times") << full << c << QStringList{"zoom 0 0 3", "zoom 0 0 20"}
                                             << QRect(0, 0, 5120, 3840) << QRect(80, 80, 800, 400);
        QTest::newRow("out about a corner, held inside")
            << full << c << QStringList{"zoom 640 480 4", "zoom 0 0 2"} << QRect(-640, -480, 1280, 960)
            << QRect(-620, -460, 200, 100);
        QTest::newRow("out below one: the whole frame")
            << full << c << QStringList{"zoom 10 10 4", "pan 30 30", "zoom 10 10 0.5"} << full
            << QRect(10, 10, 100, 50);
    }
    void zoomKeepsThePointerAndTheCanvasCovered() {
        QFETCH(QRect, fitted);
        QFETCH(QSize, canvas);
        QFETCH(QStringList, steps);
        QFETCH(QRect, target);
        QFETCH(QRect, model);
        ViewZoom zoom;
        for (const QString& step : steps) {
            const QStringList a = step.split(QLatin1Char(' '));
            const QPointF at(a[1].toDouble(), a[2].toDouble());
            if (a[0] == QLatin1String("pan")) {
                zoom.PanBy(at, fitted, canvas);
                continue;
            }
            const QRect before = zoom.Target(fitted, canvas);
            zoom.ZoomAbout(at, a[3].toDouble(), fitted, canvas);
            const QRect after = zoom.Target(fitted, canvas);
            // The fraction of the picture under the pointer is still there, unless the canvas's
            // edge held the picture back.
            const bool held = after.left() == 0 || after.right() == canvas.width() - 1 || after.top() == 0 ||
                              after.bottom() == canvas.height() - 1 || after.width() <= canvas.width();
            if (!held)
                QVERIFY(std::abs((at.x() - before.x()) / before.width() * after.width() + after.x() -
                                 at.x()) <= 1);
        }
        QCOMPARE(zoom.Target(fitted, canvas), target);
        QCOMPARE(zoom.Map(QRect(fitted.topLeft() + QPoint(10, 10), QSize(100, 50)), fitted, canvas), model);
        if (target.width() > canvas.width()) QVERIFY(target.contains(QRect(QPoint(), canvas)));
    }

    void placementArithmeticRoundsAndNeverOverflows() {
        QCOMPARE(MovedPlacement(QRect(10, 10, 50, 40), QPoint(0, 0), QPointF(2.5, -3.5)),
                 QRect(12, 6, 50, 40));
        QCOMPARE(ZoomedPlacement(QRect(100, 100, 320, 240), 150, 320, 240), QRect(20, 40, 480, 360));
        // A drag towards the end of the range is refused whole, not wrapped round.
        const QRect far(std::numeric_limits<int>::max() - 100, 0, 50, 40);
        bool raised = false;
        try {
            MovedPlacement(far, QPoint(0, 0), QPointF(60, 0));
        } catch (const RuntimeError& e) {
            raised = e.Number() == errOverflow;
        }
        QVERIFY(raised);
        QCOMPARE(MovedPlacement(far, QPoint(0, 0), QPointF(40, 0)).right(),
                 std::numeric_limits<int>::max() - 11);
        const PanRange r = SplitPanRange(161);
        QCOMPARE(r.maximum, 161);
        QCOMPARE(r.value, 80);  // 80.5 to even
        QCOMPARE(r.largeStep, 16);
    }

    void splitViewShowsBothHalvesWithTheirPans() {
        frm_Main w;
        openBoth(w);
        const QRect fullCanvas = w.Video1.CanvasRect();
        w.Toolbar1->SetValue(11, true);
        w.Toolbar_Click(11);
        QVERIFY(!G().FullWindow);
        QVERIFY(w.mnuTools[7]->isChecked() && !w.mnuTools[6]->isChecked());
        QVERIFY(!w.hscrAvi1->isHidden());
        // Each half shows, at the full view's scale, the part of the frame's width it holds
        // (about half of it here); the slider reaches the rest and starts in the middle.
        const int shownWidth = w.Video1.SourceRect().width();
        QVERIFY(std::abs(shownWidth - kW / 2) <= 1);
        QCOMPARE(w.hscrAvi1->maximum(), kW - shownWidth);
        QCOMPARE(w.hscrAvi1->value(), int(std::lrint((kW - shownWidth) / 2.0)));
        QCOMPARE(w.Video1.panX, w.hscrAvi1->value());
        QVERIFY(std::abs(w.Video1.CanvasRect().width() - fullCanvas.width() / 2) <= 1);
        QCOMPARE(w.Model.CanvasRect().left(), w.Video1.CanvasRect().x() + w.Video1.CanvasRect().width());  // no gap
        QVERIFY(!w.hscrAvi2->isHidden());

        const int y = w.pic_video->height() / 2;
        const int leftX = w.Video1.CanvasRect().x() + w.Video1.CanvasRect().width() / 2;
        QCOMPARE(qRed(at(w, leftX, y)), column(w, leftX));
        const QRect mc = w.Model.CanvasRect();
        const int rightX = mc.x() + mc.width() / 2;
        QCOMPARE(qBlue(at(w, rightX, y)), 200);
        w.hscrAvi1->setValue(0);
        QCOMPARE(w.Video1.panX, 0);
        QCOMPARE(qRed(at(w, leftX, y)), column(w, leftX));
        // Flip X reads the region back mirrored: the left edge shows the region's last column.
        w.hscrAvi1->setValue(40);
        w.ImageTool->chkFlag[2]->setChecked(true);
        const int edge = std::max(0, w.Video1.CanvasRect().x());
        QVERIFY(qAbs(qRed(at(w, edge, y)) - (40 + shownWidth - 1 - (column(w, edge) - 40))) <= 1);
        w.ImageTool->chkFlag[2]->setChecked(false);
        // A model change repaints only the right half.
        const QRgb leftBefore = at(w, leftX, y);
        w.ModelTool->chkFlags[0]->setChecked(true);
        QCOMPARE(qBlue(at(w, rightX, y)), 55);
        QCOMPARE(at(w, leftX, y), leftBefore);

        // Back to the full view, once however often it is chosen.
        w.mnuTools_Click(6);
        w.mnuTools_Click(6);
        QVERIFY(G().FullWindow && w.Toolbar1->Value(10) && !w.Toolbar1->Value(11));
        QCOMPARE(w.Video1.CanvasRect(), fullCanvas);
        QCOMPARE(w.Video1.panX, 0);
        QVERIFY(w.hscrAvi1->isHidden() && w.hscrAvi2->isHidden());
        QCOMPARE(w.Model.SourceRect(), QRect(0, 0, kW, kH));
        // Split chosen twice halves once.
        w.mnuTools_Click(7);
        const QRect split = w.Video1.CanvasRect();
        w.mnuTools_Click(7);
        QCOMPARE(w.Video1.CanvasRect(), split);
        QVERIFY(std::abs(split.width() - fullCanvas.width() / 2) <= 1);
        // A picture opened in the split view comes up in the full view, blended at once.
        w.VideoControls->hscrBlend->setValue(255);
        answer_ = chose(clip("still.bmp"));
        w.Toolbar_Click(1);
        QVERIFY(G().FullWindow && w.hscrAvi1->isHidden() && w.hscrAvi2->isHidden());
        const QPoint c = w.Model.placement.center();
        QCOMPARE(qBlue(at(w, c.x(), c.y())), 255 - 200);  // the model, still inverted
        answer_ = chose(clip("video.avi"));
        w.Toolbar_Click(1);
        w.mnuTools_Click(7);
        // Inserting a model in the split view returns to the blended full view.
        w.Toolbar_Click(7);
        answer_ = chose(clip("model.avi"));
        w.Toolbar_Click(7);
        QVERIFY(G().FullWindow && w.Toolbar1->Value(10));
        QCOMPARE(w.Video1.CanvasRect(), fullCanvas);
    }

    // A wide clip is cut on both sides by its fit: the model's half starts where video 1's
    // ends. Panned to its end, the left half still lies inside the odd-width frame.
    void splitViewOfAWideOddClipLeavesNoGap() {
        MsgBoxRecorder boxes;
        frm_Main w;
        answer_ = chose(clip("wide.avi"));
        w.Toolbar_Click(1);
        answer_ = chose(clip("model.avi"));
        w.Toolbar_Click(7);
        w.Toolbar1->SetValue(11, true);
        w.Toolbar_Click(11);
        QCOMPARE(w.Model.CanvasRect().left(), w.Video1.CanvasRect().right() + 1);
        for (int pan : {w.hscrAvi1->maximum(), 0}) {
            w.hscrAvi1->setValue(pan);
            QVERIFY(QRect(0, 0, 323, 180).contains(w.Video1.SourceRect()));
            // Every column shows video 1 (blue 0) or the model (blue 200), never the background.
            const int y = w.pic_video->height() / 2;
            for (int x = 0; x < w.pic_video->width(); ++x)
                QVERIFY2(qBlue(at(w, x, y)) == 0 || qBlue(at(w, x, y)) == 200,
                         qPrintable(QString::number(x)));
        }
        QVERIFY(boxes.calls.empty());
    }

    void aStillPictureKeepsTheFullView() {
        frm_Main w;
        answer_ = chose(clip("still.bmp"));
        w.Toolbar_Click(1);
        QCOMPARE(w.ClipKind, 1);
        w.mnuTools_Click(7);
        QVERIFY(G().FullWindow && w.Toolbar1->Value(10) && !w.Toolbar1->Value(11));
        QVERIFY(w.hscrAvi1->isHidden());
    }
};

QTEST_MAIN(TestModelViews)
#include "tst_modelviews.moc"
