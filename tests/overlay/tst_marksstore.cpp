// The marks kept with each clip: the sidecar file's round trip, the data-folder fallback, unusable
// sidecars, and the main window saving and restoring them as clips come and go.

#include "CompareWindowFixture.h"
#include "HandMadeAvi.h"
#include "SettingsStoreFixture.h"
#include "compare/KeyPositionsController.h"
#include "overlay/MarksStore.h"
#include "overlay/OverlayModel.h"

#include <QJsonDocument>
#include <QStandardPaths>

Q_DECLARE_METATYPE(MarksSnapshot)

namespace {

SavedMark mark(int kind, std::vector<QPointF> points, int color = 0x0000FF, int width = 1, int shape = 0) {
    return SavedMark{kind, shape, std::move(points), color, width, 1};
}

MarksSnapshot withMarks(std::vector<SavedMark> marks, double scale = 0, std::optional<SavedKeys> keys = {}) {
    return MarksSnapshot{std::move(marks), scale, 0, 1, keys};  // the pen as a new snapshot has it
}

// A line dragged on the canvas with the drawing tools, as the user draws it.
void dragLine(frm_Main& w, QPoint from, QPoint to) {
    if (!w.Drawing->Overlay().DrawingOn) w.Drawing->ToolbarCommand(3);
    w.Drawing->ToolbarCommand(20);
    w.Drawing->pic_video_MouseDown(1, 0, from.x(), from.y());
    w.Drawing->pic_video_MouseMove(1, 0, to.x(), to.y());
    w.Drawing->pic_video_MouseUp(1, 0, to.x(), to.y());
}

}  // namespace

class TestMarksStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    // Through the overlay's records, the file, and the records again: nothing is lost. Where the
    // clip's folder takes no file, the marks go to the data folder and come back from it.
    void roundTrip_data() {
        QTest::addColumn<MarksSnapshot>("saved");
        QTest::addColumn<QString>("folder");
        const QString temp = dir_.path();
        QTest::newRow("polyline of 6")
            << withMarks({mark(kHistPolyLine, {{1, 2}, {30, 4}, {5, 60}, {70, 8}, {9, 100}, {110, 12}},
                               0xFF0000, 5)})
            << temp;
        QTest::newRow("outside the picture")
            << withMarks({mark(kHistLine, {{-5000, -20}, {900000, 300000}})}) << temp;
        QTest::newRow("scale and key positions alone")
            << withMarks({}, double(0.0023456f), SavedKeys{3, 10, 14, -1}) << temp;
        QTest::newRow("every kind, in the order drawn, in a folder that takes no file")
            << withMarks(
                   {mark(kHistLine, {{1, 1}, {9, 9}}),
                    mark(kHistShape, {{2, 2}, {8, 8}}, 0xFF, 1, kDrawEllipse),
                    mark(kHistAngle, {{1, 5}, {5, 5}, {5, 1}}), mark(kHistLine, {{2, 3}, {4, 5}}, 0xFF00),
                    mark(kHistPolyLine, {{0, 0}, {4, 4}, {8, 0}}),
                    mark(kHistShape, {{3, 3}, {7, 9}}, 0xFF, 2, kDrawRectangle)},
                   double(0.01f), SavedKeys{0, 1, 2, 3})
            << QStringLiteral("/proc");
    }
    void roundTrip() {
        QFETCH(MarksSnapshot, saved);
        QFETCH(QString, folder);
        saved.penColor = 0x00FF00;
        saved.penWidth = 3;
        OverlayModel drawn, reopened;
        ApplySnapshot(saved, drawn);
        MarksSnapshot taken = TakeSnapshot(drawn);
        taken.keyPositions = saved.keyPositions;
        QVERIFY(taken == saved);
        const QString path = folder + QStringLiteral("/swing.avi"), written = MarksStore::Save(path, taken);
        QCOMPARE(written,
                 folder == dir_.path() ? path + QStringLiteral(".varkelo") : MarksStore::FallbackPath(path));
        if (folder != dir_.path())
            QVERIFY(written.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        const MarksStore::LoadResult loaded = MarksStore::Load(path);
        QCOMPARE(loaded.status, MarksStore::LoadResult::Loaded);
        QVERIFY(loaded.snapshot == saved);
        QVERIFY(QFile::remove(written));
        ApplySnapshot(loaded.snapshot, reopened);
        QCOMPARE(reopened.MetresPerPixel, float(saved.metresPerPixel));
        QCOMPARE(QList<int>({reopened.Line1.BorderColor, reopened.Shape1.BorderWidth}),
                 QList<int>({0x00FF00, 3}));
        // The history comes back in order: Undo takes the last mark drawn.
        if (saved.marks.empty()) return;
        QVERIFY(reopened.UndoLast());
        saved.marks.pop_back();
        MarksSnapshot afterUndo = TakeSnapshot(reopened);
        afterUndo.keyPositions = saved.keyPositions;
        QVERIFY(afterUndo == saved);
    }

    // A good file with one text replaced; the message names the reason.
    void unusableSidecars_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        const QByteArray good =
            QJsonDocument::fromJson(MarksStore::Encode(withMarks({mark(kHistLine, {{1, 2}, {30, 40}})})))
                .toJson(QJsonDocument::Compact);
        auto row = [&](const char* name, const char* from, const char* to, const char* said) {
            QTest::newRow(name) << QByteArray(good).replace(from, to) << QString::fromUtf8(said);
        };
        QTest::newRow("truncated") << good.left(good.size() / 2) << "not valid JSON";
        QTest::newRow("foreign JSON")
            << QByteArray(R"({"name": "settings", "version": 1})") << "not a Varkelo marks file";
        row("no version", ",\"version\":1", "", "its version");
        row("no marks", "\"marks\"", "\"other\"", "no list of marks");
        row("an unknown mark", "\"type\":\"line\"", "\"type\":\"arrow\"", "unknown type \"arrow\"");
        row("a line of 3 points", "[30,40]", "[30,40],[5,6]", "has 3 points");
        row("a point not a number", "[30,40]", "[\"30\",40]", "mark 1's x is not a number");
        row("a bad colour", "[{\"colour\":\"#ff0000\"", "[{\"colour\":\"red\"", "colour is not a colour");
        const QByteArray one = good.mid(good.indexOf("[{") + 1, good.indexOf("}]") - good.indexOf("[{"));
        QTest::newRow("101 marks") << QByteArray(good).replace(one, (one + ',').repeated(101).chopped(1))
                                   << "holds 101 marks";
        row("newer version", "\"version\":1", "\"version\":2", "newer version");
    }
    void unusableSidecars() {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        const bool newer = said == QLatin1String("newer version");
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("swing.avi")),
                      sidecar = MarksStore::SidecarPath(path);
        QVERIFY(testavi::WriteBytes(sidecar, content) && testavi::WriteBytes(sidecar + QStringLiteral(".bad"), "an earlier one"));
        MsgBoxRecorder boxes;
        ClipMarks marks;
        OverlayModel o;
        ApplySnapshot(withMarks({mark(kHistLine, {{0, 0}, {5, 5}})}), o);
        QVERIFY(!marks.Enter(path, o));
        QCOMPARE(o.LineCount, 0);  // opens without marks
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY2(boxes.calls[0].prompt.contains(said), qPrintable(boxes.calls[0].prompt));
        QCOMPARE(ReadAll(sidecar + QStringLiteral(".bad")), QByteArray("an earlier one"));
        if (!newer) QCOMPARE(ReadAll(sidecar + QStringLiteral(".2.bad")), content);
        QCOMPARE(boxes.calls[0].prompt.contains(QStringLiteral("swing.avi.varkelo.2.bad")), !newer);
        // Leaving the clip: a newer file stays as it is; a damaged one, kept aside, gets a fresh one.
        ApplySnapshot(withMarks({mark(kHistAngle, {{0, 0}, {5, 5}, {9, 0}})}), o);
        QVERIFY(marks.Leave(o, std::nullopt));
        if (newer) QCOMPARE(ReadAll(sidecar), content);
        if (!newer) QCOMPARE(MarksStore::Load(path).snapshot.marks.size(), size_t(1));
    }

    void leavingWritesOnlyWhatThereIs() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("swing.avi"));
        ClipMarks marks;
        OverlayModel o;
        marks.Enter(path, o);
        QVERIFY(marks.Leave(o, std::nullopt));
        QVERIFY(!QFileInfo::exists(MarksStore::SidecarPath(path)));  // never had marks: no file
        QVERIFY(marks.Leave(o, SavedKeys{1, 2, 3, 4}));              // key positions alone are worth one
        QCOMPARE(*marks.Enter(path, o), (SavedKeys{1, 2, 3, 4}));
        QVERIFY(marks.Leave(o, std::nullopt));  // all cleared: the file says so
        const MarksStore::LoadResult cleared = MarksStore::Load(path);
        QCOMPARE(cleared.status, MarksStore::LoadResult::Loaded);
        QVERIFY(cleared.snapshot.Empty());
    }

    // Through the main window: each clip or picture opened into video 1 brings its own marks, and
    // the window's end saves them.
    void marksFollowTheirClip() {
        TestDesktop desktop;
        MsgBoxRecorder boxes;
        QTemporaryDir folder;
        const QString a = WriteNumberedClip(folder.path(), QStringLiteral("a.avi"), 8);
        const QString b = WriteNumberedClip(folder.path(), QStringLiteral("b.avi"), 8);
        const QString still = folder.filePath(QStringLiteral("still.bmp"));
        QVERIFY(cliptools::NumberedFrame(3, 200, 100).save(still));
        {
            frm_Main w;
            w.show();
            QVERIFY(w.fOpenAvi(a));
            const short first = w.CurrentVideoFrame;
            w.PasteAvi(first);
            w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;  // as a pick in the tool box's hues sets it
            dragLine(w, {40, 50}, {200, 120});
            w.CurrentVideoFrame = short(first + 5);
            w.SwingKeys->MoveToCurrent(KeyPositions::Top);
            w.CurrentVideoFrame = first;
            w.PasteAvi(first);
            const QImage drawnOnA = w.pic_video->Image().copy();
            QVERIFY(w.fOpenAvi(b));
            QCOMPARE(w.Drawing->Overlay().LineCount, 0);
            QVERIFY(QFileInfo::exists(MarksStore::SidecarPath(a)));
            QVERIFY(w.fOpenPic(still));
            QVERIFY(!QFileInfo::exists(MarksStore::SidecarPath(b)));  // b never had marks
            w.Drawing->Overlay().Line1.BorderColor = 0x00FF00;
            dragLine(w, {10, 10}, {60, 30});
            QVERIFY(w.fOpenAvi(a));
            w.PasteAvi(w.CurrentVideoFrame);
            QCOMPARE(w.pic_video->Image(), drawnOnA);            // the same marks on the same pixels
            QCOMPARE(w.DrawToolBox->SelectedColor(), 0x0000FF);  // and the pen they were drawn with
            QCOMPARE(w.SwingKeys->UserKeys(KeyPositionsController::Video1).value()[KeyPositions::Top], 5);
            w.Drawing->Undo();  // the history came back too
            QCOMPARE(w.Drawing->Overlay().LineCount, 0);
            QVERIFY(w.fOpenPic(still));
            QCOMPARE(w.Drawing->Overlay().LineCount, 1);
            w.Drawing->Clear();
            w.close();  // the window's end saves the picture's, now cleared
        }
        QVERIFY(MarksStore::Load(still).snapshot.marks.empty());
        QVERIFY(MarksStore::Load(a).snapshot.marks.empty());  // the Undo was saved when a was left
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestMarksStore)
#include "tst_marksstore.moc"
