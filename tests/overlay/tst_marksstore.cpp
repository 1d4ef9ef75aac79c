// The marks kept with each clip: the sidecar file's round trip, the data-folder fallback, unusable
// sidecars, and the main window saving and restoring them as clips come and go.

#include "MsgBoxRecorder.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "compare/KeyPositionsController.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/MarksStore.h"
#include "overlay/OverlayModel.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/PictureBox.h"
#include "shell/frm_Main.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(MarksSnapshot)

namespace {

SavedMark mark(int kind, std::vector<QPointF> points, int color = 0x0000FF, int width = 1, int shape = 0) {
    return SavedMark{kind, shape, std::move(points), color, width, 1};
}

MarksSnapshot withMarks(std::vector<SavedMark> marks) {
    MarksSnapshot s;
    s.marks = std::move(marks);
    return s;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
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

    QString clip(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    void roundTrip_data() {
        QTest::addColumn<MarksSnapshot>("saved");
        auto row = [](const char* name, std::vector<SavedMark> marks, double scale = 0,
                      std::optional<SavedKeys> keys = std::nullopt) {
            MarksSnapshot s;
            s.marks = std::move(marks);
            s.metresPerPixel = scale;
            s.penColor = 0x00FF00;
            s.penWidth = 3;
            s.keyPositions = keys;
            QTest::newRow(name) << s;
        };
        row("polyline of 6",
            {mark(kHistPolyLine, {{1, 2}, {30, 4}, {5, 60}, {70, 8}, {9, 100}, {110, 12}}, 0xFF0000, 5)});
        row("outside the picture", {mark(kHistLine, {{-5000, -20}, {900000, 300000}})});
        row("scale and key positions alone", {}, double(0.0023456f), SavedKeys{3, 10, 14, -1});
        row("every kind, in the order drawn",
            {mark(kHistLine, {{1, 1}, {9, 9}}), mark(kHistShape, {{2, 2}, {8, 8}}, 0xFF, 1, kDrawEllipse),
             mark(kHistAngle, {{1, 5}, {5, 5}, {5, 1}}), mark(kHistLine, {{2, 3}, {4, 5}}, 0xFF00),
             mark(kHistPolyLine, {{0, 0}, {4, 4}, {8, 0}}),
             mark(kHistShape, {{3, 3}, {7, 9}}, 0xFF, 2, kDrawRectangle)},
            double(0.01f), SavedKeys{0, 1, 2, 3});
    }
    void roundTrip() {
        QFETCH(MarksSnapshot, saved);
        // Through the overlay's records and back: nothing is lost on the way.
        OverlayModel drawn;
        ApplySnapshot(saved, drawn);
        MarksSnapshot taken = TakeSnapshot(drawn);
        taken.keyPositions = saved.keyPositions;
        QVERIFY(taken == saved);

        const QString path = clip(QStringLiteral("swing.avi"));
        QCOMPARE(MarksStore::Save(path, taken), path + QStringLiteral(".varkelo"));
        const MarksStore::LoadResult loaded = MarksStore::Load(path);
        QCOMPARE(loaded.status, MarksStore::LoadResult::Loaded);
        QVERIFY(loaded.snapshot == saved);

        // The history comes back in order: Undo takes the last mark drawn.
        OverlayModel reopened;
        ApplySnapshot(loaded.snapshot, reopened);
        QCOMPARE(reopened.MetresPerPixel, float(saved.metresPerPixel));
        QCOMPARE(reopened.Line1.BorderColor, saved.penColor);
        QCOMPARE(reopened.Shape1.BorderWidth, saved.penWidth);
        if (!saved.marks.empty()) {
            QVERIFY(reopened.UndoLast());
            MarksSnapshot fewer = saved;
            fewer.marks.pop_back();
            MarksSnapshot afterUndo = TakeSnapshot(reopened);
            afterUndo.keyPositions = saved.keyPositions;
            QVERIFY(afterUndo == fewer);
        }
    }

    void fallbackWhereTheFolderIsNotWritable_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("read-only folder") << QStringLiteral("readonly");
        QTest::newRow("folder under /proc") << QStringLiteral("/proc");
    }
    void fallbackWhereTheFolderIsNotWritable() {
        QFETCH(QString, folder);
        if (!folder.startsWith(QLatin1Char('/'))) {
            folder = dir_.filePath(folder);
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            if (QFileInfo(folder).isWritable()) QSKIP("this user writes into read-only folders");
        }
        const QString path = folder + QStringLiteral("/swing.avi");
        const MarksSnapshot s = withMarks({mark(kHistAngle, {{1, 2}, {3, 4}, {5, 7}})});
        QString error;
        const QString written = MarksStore::Save(path, s, &error);
        QCOMPARE(written, MarksStore::FallbackPath(path));
        QVERIFY2(written.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
                 qPrintable(written));
        QVERIFY(!QFileInfo::exists(MarksStore::SidecarPath(path)));
        const MarksStore::LoadResult loaded = MarksStore::Load(path);
        QCOMPARE(loaded.status, MarksStore::LoadResult::Loaded);
        QVERIFY(loaded.snapshot == s);
        QVERIFY(QFile::remove(written));
    }

    void unusableSidecars_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("newer");
        QTest::addColumn<QString>("said");
        const QByteArray good = MarksStore::Encode(withMarks({mark(kHistLine, {{1, 2}, {30, 40}})}));
        // The good file with one change made to its mark, or to the whole.
        using Change = std::function<void(QJsonObject&)>;
        auto edited = [&](const Change& onMark, const Change& onRoot = {}) {
            QJsonObject root = QJsonDocument::fromJson(good).object();
            QJsonArray marks = root[QLatin1String("marks")].toArray();
            QJsonObject first = marks[0].toObject();
            if (onMark) onMark(first);
            marks[0] = first;
            root[QLatin1String("marks")] = marks;
            if (onRoot) onRoot(root);
            return QJsonDocument(root).toJson();
        };
        auto set = [](const char* key, QJsonValue v) {
            return [key, v](QJsonObject& m) { m[QLatin1String(key)] = v; };
        };
        auto drop = [](const char* key) { return [key](QJsonObject& r) { r.remove(QLatin1String(key)); }; };
        QTest::newRow("truncated") << good.left(good.size() / 2) << false << "not valid JSON";
        QTest::newRow("foreign JSON")
            << QByteArray(R"({"name": "settings", "version": 1})") << false << "not a Varkelo marks file";
        QTest::newRow("no version") << edited({}, drop("version")) << false << "its version";
        QTest::newRow("no marks") << edited({}, drop("marks")) << false << "no list of marks";
        QTest::newRow("an unknown mark")
            << edited(set("type", QStringLiteral("arrow"))) << false << "unknown type \"arrow\"";
        QTest::newRow("a line of 3 points")
            << edited(set("points", QJsonArray{QJsonArray{1, 2}, QJsonArray{3, 4}, QJsonArray{5, 6}}))
            << false << "has 3 points";
        QTest::newRow("a point not a number")
            << edited(set("points", QJsonArray{QJsonArray{1, 2}, QJsonArray{QStringLiteral("30"), 4}}))
            << false << "mark 1's x is not a number";
        QTest::newRow("a bad colour")
            << edited(set("colour", QStringLiteral("red"))) << false << "colour is not a colour";
        QTest::newRow("101 marks") << edited({}, [](QJsonObject& r) {
            QJsonArray many;
            for (int i = 0; i < 101; ++i) many.append(r[QLatin1String("marks")].toArray()[0]);
            r[QLatin1String("marks")] = many;
        }) << false << "holds 101 marks";
        QTest::newRow("newer version")
            << edited({}, [](QJsonObject& r) { r[QLatin1String("version")] = 2; }) << true << "newer version";
    }
    void unusableSidecars() {
        QFETCH(QByteArray, content);
        QFETCH(bool, newer);
        QFETCH(QString, said);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("swing.avi"));
        const QString sidecar = MarksStore::SidecarPath(path);
        QVERIFY(writeAll(sidecar, content));
        QVERIFY(writeAll(sidecar + QStringLiteral(".bad"), "an earlier one"));

        MsgBoxRecorder boxes;
        ClipMarks marks;
        OverlayModel o;
        ApplySnapshot(withMarks({mark(kHistLine, {{0, 0}, {5, 5}})}), o);
        QCOMPARE(o.LineCount, 1);
        QVERIFY(!marks.Enter(path, o));
        QCOMPARE(o.LineCount, 0);  // opens without marks
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY2(boxes.calls[0].prompt.contains(said), qPrintable(boxes.calls[0].prompt));
        QCOMPARE(readAll(sidecar + QStringLiteral(".bad")), QByteArray("an earlier one"));
        if (!newer) {
            QCOMPARE(readAll(sidecar + QStringLiteral(".2.bad")), content);
            QVERIFY(boxes.calls[0].prompt.contains(QStringLiteral("swing.avi.varkelo.2.bad")));
        }

        // Leaving the clip: a newer file stays as it is; a damaged one, kept aside, gets a fresh one.
        ApplySnapshot(withMarks({mark(kHistAngle, {{0, 0}, {5, 5}, {9, 0}})}), o);
        QVERIFY(marks.Leave(o, std::nullopt));
        if (newer) {
            QCOMPARE(readAll(sidecar), content);
        } else {
            QCOMPARE(MarksStore::Load(path).snapshot.marks.size(), size_t(1));
        }
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
        QCOMPARE(MarksStore::Load(path).status, MarksStore::LoadResult::Loaded);
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
        QImage drawnOnA;
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
            drawnOnA = w.pic_video->Image().copy();
            QCOMPARE(w.Drawing->Overlay().LineCount, 1);

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
