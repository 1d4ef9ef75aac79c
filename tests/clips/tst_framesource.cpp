// The frame sources read as everything outside clips/ reads them: what each kind of slot counts,
// where its frames are, that every frame read is announced; and the clip decoded on demand within
// a budget of a few frames, whose every frame must equal the whole-in-memory decode whatever the
// order it is asked for in.

#include "ClipWriter.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "clips/FrameCache.h"
#include "clips/FrameStore.h"
#include "clips/WorkerFrames.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
enum class Slot { Clip, Picture, Empty, Closed };

bool samePixels(const cDIBSection* a, const cDIBSection* b) { return a && b && *a->HDC() == *b->HDC(); }
std::uint64_t frameBytes(const FrameStore& s) { return std::uint64_t(s.Frame(0)->BytesPerScanLine()) * s.FrameSize().height(); }

// The frame numbers of a walk: "a-b" runs from a to b either way, "a,b" jumps.
std::vector<int> walk(const QString& text) {
    std::vector<int> frames;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        const int from = ends.front().toInt(), to = ends.back().toInt();
        for (int n = from;; n += to >= from ? 1 : -1) {
            frames.push_back(n);
            if (n == to) break;
        }
    }
    return frames;
}
}  // namespace
Q_DECLARE_METATYPE(Slot)
Q_DECLARE_METATYPE(cliptools::Codec)

class TestFrameSource : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString clip_;
    static constexpr int kFrames = 12;
    static constexpr int kLong = 40;  // frames of the clips decoded on demand

    // A clip of kLong numbered frames with key pictures 10 apart (B-frames where the codec has them),
    // and its frames decoded whole, as a reference.
    QString longClip(cliptools::Codec codec, FrameStore& whole) {
        const bool mjpeg = codec == cliptools::Codec::MJPEG;
        const QString path = dir_.filePath(QStringLiteral("long%1.%2").arg(int(codec)).arg(mjpeg ? "avi" : "mp4"));
        const cliptools::ClipRecipe format{.width = 96, .height = 64, .codec = codec, .gopSize = 10, .bFrames = mjpeg ? 0 : 2};
        if (!QFile::exists(path) &&
            !cliptools::WriteClip(path, format, kLong, [](int i) { return cliptools::NumberedFrame(i, 96, 64); }))
            return {};
        auto reader = std::make_unique<cVideo>();
        if (!reader->OpenAviFile(path) || !whole.ReadFrames(*reader) || whole.OnDemand()) return {};
        whole.Adopt(std::move(reader));
        return path;
    }

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

    // Whatever the order frames are asked for in, each comes (announced) equal to the whole decode,
    // and the cache never holds more than its budget.
    void onDemandEqualsTheWholeDecode_data() {
        QTest::addColumn<cliptools::Codec>("codec");
        QTest::addColumn<int>("budgetFrames");
        QTest::addColumn<QString>("frames");
        QTest::addColumn<QString>("atOnce");  // then, without waiting for the decoder
        using C = cliptools::Codec;
        QTest::newRow("forward, MJPEG") << C::MJPEG << 12 << QStringLiteral("0-39") << QString();
        QTest::newRow("forward, H.264") << C::H264 << 13 << QStringLiteral("0-39") << QString();
        QTest::newRow("backward, H.264") << C::H264 << 16 << QStringLiteral("39-0") << QString();
        QTest::newRow("backward, MPEG-4") << C::MPEG4 << 12 << QStringLiteral("39-0") << QString();
        QTest::newRow("jumps, H.264") << C::H264 << 14 << QStringLiteral("25,3,38,17,17,0,39,9,21") << QString();
        QTest::newRow("both ways, MJPEG") << C::MJPEG << 13 << QStringLiteral("10-15,14-2,30-33,32-28") << QString();
        QTest::newRow("both ways, H.264") << C::H264 << 15 << QStringLiteral("5-12,11-1,35-39,38-22") << QString();
        // Going backward the run from the key picture before is kept: the steps back after a jump
        // back find their frames at once.
        QTest::newRow("jump back, H.264") << C::H264 << 16 << QStringLiteral("27,18") << QStringLiteral("17-14");
    }
    void onDemandEqualsTheWholeDecode() {
        QFETCH(cliptools::Codec, codec);
        QFETCH(int, budgetFrames);
        QFETCH(QString, frames);
        QFETCH(QString, atOnce);
        FrameStore whole;
        const QString path = longClip(codec, whole);
        QVERIFY(!path.isEmpty());
        FrameCache cache(path, 0, kLong, 96, 64, budgetFrames * frameBytes(whole));
        QCOMPARE(cache.Capacity(), std::max(2, budgetFrames - FrameCache::kOverheadFrames));
        QSignalSpy ready(&cache, &FrameCache::FrameReady);
        for (int n : walk(frames)) {
            QTRY_VERIFY2(cache.Frame(n), qPrintable(QString::number(n)));
            QVERIFY2(samePixels(cache.Frame(n), whole.Frame(n)), qPrintable(QString::number(n)));
            QVERIFY(cache.HeldCount() <= cache.Capacity());
        }
        if (!atOnce.isEmpty())
            for (int n : walk(atOnce)) QVERIFY2(samePixels(cache.Frame(n), whole.Frame(n)), qPrintable(QString::number(n)));
        QVERIFY(!cache.Frame(-1) && !cache.Frame(kLong));
        QVERIFY(!ready.isEmpty());
    }

    // A clip whose frames do not fit the budget the user set is decoded on demand: nothing of it is
    // held when the load ends, frames come when asked for, and a worker gets them all in order.
    void aClipBeyondTheBudgetIsDecodedOnDemand_data() {
        QTest::addColumn<int>("budgetMB");
        QTest::addColumn<bool>("onDemand");
        QTest::newRow("fits") << 64 << false;
        QTest::newRow("too large") << 1 << true;  // 40 frames of 96 x 64 need 0.7 MB; one MB leaves none
    }
    void aClipBeyondTheBudgetIsDecodedOnDemand() {
        QFETCH(int, budgetMB);
        QFETCH(bool, onDemand);
        TestDesktop desktop;
        TestDesktop::SetFrameMemoryMB(quint32(budgetMB));
        QCOMPARE(FrameStore::BudgetBytes(), std::uint64_t(budgetMB) << 20);
        FrameStore whole;
        const QString path = longClip(cliptools::Codec::H264, whole);
        QVERIFY(!path.isEmpty());
        // The whole clip above holds 0.7 MB of the budget: what is left decides.
        FrameStore store;
        auto reader = std::make_unique<cVideo>();
        QVERIFY(reader->OpenAviFile(path));
        QCOMPARE(FrameStore::MemoryToOpen(*reader), (onDemand ? 1 : kLong) * frameBytes(whole));
        int stepped = 0;
        QVERIFY(store.ReadFrames(*reader, [&](int index, const cDIBSection* read) {
            stepped += samePixels(read, whole.Frame(index));
            return true;
        }));
        QCOMPARE(stepped, kLong);
        store.Adopt(std::move(reader));
        QCOMPARE(QList<bool>({store.OnDemand(), bool(store.Cache()), store.IsClip()}), QList<bool>({onDemand, onDemand, true}));
        QCOMPARE(store.Count(), kLong);
        QSignalSpy ready(&store, &FrameSource::FrameReady);
        QTRY_VERIFY(store.FrameToPaint(30));
        QVERIFY(samePixels(store.FrameToPaint(30), whole.Frame(30)));
        QCOMPARE(ready.contains(QVariantList{30}), onDemand);
        // A worker's reading, from a reader of its own when on demand, in any order.
        const std::shared_ptr<WorkerFrames> worker = store.FramesForWorker();
        for (int n : {5, 6, 7, 39, 2})
            QVERIFY2(samePixels(worker->Frame(n), whole.Frame(n)), qPrintable(QString::number(n)));
        store.Close();
        QVERIFY(!store.Cache() && !store.Frame(30));
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
        QCOMPARE(source.FirstFrame(), 0);  // clips and pictures alike count from 0
        // Every frame of the slot is there, and nothing either side of it.
        for (int n = 0; n < count; ++n) {
            const cDIBSection* frame = source.Frame(n);
            QVERIFY2(frame && frame->HDC(), qPrintable(QString::number(n)));
            QCOMPARE(QSize(frame->Width(), frame->Height()), source.FrameSize());
            if (source.IsClip()) QCOMPARE(cliptools::ReadFrameNumber(*frame->HDC()), n);
        }
        QVERIFY(!source.Frame(-1) && !source.Frame(count) && !source.Frame(FrameStore::kTableSize));
        QVERIFY(qAbs(source.FrameSeconds(count - 1) - (source.IsClip() ? (count - 1) / 25.0 : 0.0)) < 1e-6);
        // While frame n is missing the last one painted stays on the canvas.
        QVERIFY(!store.FrameToPaint(-1));
        if (count == 0) return;
        QCOMPARE(store.FrameToPaint(count - 1), store.Frame(count - 1));
        QCOMPARE(store.FrameToPaint(count), store.Frame(count - 1));
        store.Release();
        QVERIFY(!store.FrameToPaint(0));
    }

};

QTEST_GUILESS_MAIN(TestFrameSource)
#include "tst_framesource.moc"
