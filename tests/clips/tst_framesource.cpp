// The whole-clip store read through FrameSource, as everything outside clips/ reads frames: what
// each kind of slot counts, where its frames are, and that every frame read is announced.

#include "ClipWriter.h"
#include "NumberedClip.h"
#include "clips/FrameStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
enum class Slot { Clip, Picture, Empty, Closed };
}
Q_DECLARE_METATYPE(Slot)

class TestFrameSource : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString clip_;
    static constexpr int kFrames = 12;

    // Fills `store` as loading does; returns how many frames it announced.
    int fill(FrameStore& store, Slot slot) {
        QSignalSpy ready(&store, &FrameSource::FrameReady);
        if (slot == Slot::Clip || slot == Slot::Closed) {
            auto reader = std::make_unique<cVideo>();
            if (!reader->OpenAviFile(clip_)) return -1;
            store.ReadFrames(*reader);
            store.Adopt(std::move(reader));
            if (slot == Slot::Closed) store.Close();
        } else if (slot == Slot::Picture) {
            auto picture = std::make_unique<cDIBSection>();
            picture->Create(50, 30);
            store.Put(0, std::move(picture));
        }
        for (int i = 0; i < ready.size(); ++i)
            if (ready.at(i).at(0).toInt() != i) return -1;  // in order, each once
        return int(ready.size());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        clip_ = WriteNumberedClip(dir_.path(), QStringLiteral("numbered.avi"), kFrames, 64, 48);
    }

    void eachKindOfSlot_data() {
        QTest::addColumn<Slot>("slot");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("clip");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("announced");
        QTest::newRow("clip") << Slot::Clip << kFrames << true << QSize(64, 48) << 25.0 << kFrames;
        QTest::newRow("still picture") << Slot::Picture << 1 << false << QSize(50, 30) << 0.0 << 1;
        QTest::newRow("nothing yet") << Slot::Empty << 0 << false << QSize(0, 0) << 0.0 << 0;
        QTest::newRow("clip closed") << Slot::Closed << 0 << false << QSize(0, 0) << 0.0 << kFrames;
    }
    void eachKindOfSlot() {
        QFETCH(Slot, slot);
        QFETCH(int, count);
        FrameStore store;
        QTEST(fill(store, slot), "announced");
        const FrameSource& source = store;
        QCOMPARE(source.Count(), count);
        QTEST(source.IsClip(), "clip");
        QTEST(source.FrameSize(), "size");
        QTEST(source.FramesPerSecond(), "fps");
        QVERIFY(source.CountIsExact());
        const int first = source.FirstFrame();
        QCOMPARE(first, 0);
        // Every frame of the slot is there, and nothing either side of it.
        for (int n = first; n < first + count; ++n) {
            const cDIBSection* frame = source.Frame(n);
            QVERIFY2(frame && frame->HDC(), qPrintable(QString::number(n)));
            QCOMPARE(QSize(frame->Width(), frame->Height()), source.FrameSize());
            if (source.IsClip()) QCOMPARE(cliptools::ReadFrameNumber(*frame->HDC()), n - first);
        }
        QVERIFY(!source.Frame(first - 1));
        QVERIFY(!source.Frame(first + count));
        QVERIFY(!source.Frame(FrameStore::kTableSize));
        const double lastSeconds = source.IsClip() ? (count - 1) / 25.0 : 0.0;
        QVERIFY(qAbs(source.FrameSeconds(first + count - 1) - lastSeconds) < 1e-6);
    }

    // While frame n is missing the last one painted stays on the canvas.
    void aMissingFramePaintsTheLastOne() {
        FrameStore store;
        QCOMPARE(fill(store, Slot::Clip), kFrames);
        QVERIFY(!store.FrameToPaint(-1));
        QCOMPARE(store.FrameToPaint(5), store.Frame(5));
        QCOMPARE(store.FrameToPaint(kFrames), store.Frame(5));
        store.Release();
        QVERIFY(!store.FrameToPaint(5));
    }
};

QTEST_GUILESS_MAIN(TestFrameSource)
#include "tst_framesource.moc"
