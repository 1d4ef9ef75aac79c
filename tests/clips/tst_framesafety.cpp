// Every way a clip's frame is decoded into memory of ours, for every format our clip writers
// make, at widths whose rows end at every alignment: each frame must land inside its own
// buffer, and every way must give the same picture. A write past a heap buffer shows only
// under valgrind (scripts/test.sh --valgrind); the frame block's slots share one mapping, so
// there a pattern after the slot stands guard.

#include "ClipWriter.h"
#include "HandMadeAvi.h"
#include "clips/ClipPreview.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/FileDialog.h"
#include "platform/FilePreviewPane.h"
#include "platform/MessageBox.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <vector>

using cliptools::Codec;

Q_DECLARE_METATYPE(cliptools::Codec)

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr int kFrames = 3;
// A codec the clip writer has no entry for: the hand-made uncompressed clip, whose second
// chunk is empty (a dropped frame shows the one before it).
constexpr auto kHandMade = Codec(-1);

QImage pictureOf(const uint8_t* packed) {
    if (!packed) return {};
    const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
    cDIBSection section;
    if (!section.CreateFromPackedDIB(packed, dib::kInfoHeaderSize + size_t(h.biSizeImage))) return {};
    return section.HDC()->copy();
}

QString writeClip(const QString& path, Codec codec, int width, int height) {
    if (codec == kHandMade) {
        testavi::RawAviSpec spec;
        spec.width = width;
        spec.height = height;
        const bool ok = testavi::WriteBytes(
            path, testavi::RawBgrAvi(spec, {cliptools::NumberedFrame(0, width, height), std::nullopt,
                                            cliptools::NumberedFrame(2, width, height)}));
        return ok ? QString() : QStringLiteral("cannot write the file");
    }
    cliptools::ClipSpec spec;
    spec.codec = codec;
    spec.width = width;
    spec.height = height;
    QString error;
    cliptools::WriteClip(
        path, spec, kFrames, [&](int n) { return cliptools::NumberedFrame(n, width, height); }, &error);
    return error;
}

}  // namespace

class TestFrameSafety : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        platform::SetMsgBoxAnswerer([](const platform::MsgBoxCall& call) -> int {
            qFatal("unexpected message: %s", qPrintable(call.prompt));
        });
    }

    void everyWayIntoMemoryStaysInsideItsFrame_data() {
        QTest::addColumn<Codec>("codec");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        const std::pair<const char*, Codec> codecs[] = {
            {"mjpeg", Codec::MJPEG},       {"mpeg4", Codec::MPEG4},     {"bgr24", Codec::RawBGR24},
            {"pal8", Codec::Pal8},         {"msvideo1", Codec::MSVideo1}, {"cinepak", Codec::Cinepak},
            {"hand-made bgr24", kHandMade},
        };
        for (const auto& [name, codec] : codecs)
            for (const int width : {1, 5, 10, 161, 321})
                for (const int height : {5, 16})
                    QTest::addRow("%s %dx%d", name, width, height) << codec << width << height;
    }
    void everyWayIntoMemoryStaysInsideItsFrame() {
        QFETCH(Codec, codec);
        QFETCH(int, width);
        QFETCH(int, height);
        const QString path = dir_.filePath(QStringLiteral("%1.avi").arg(QTest::currentDataTag()));
        const QString error = writeClip(path, codec, width, height);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        cVideo reader;
        QVERIFY(reader.OpenAviFile(path));
        const int frames = reader.NumberOfFrames();
        QCOMPARE(frames, kFrames);
        // MS Video 1 codes whole 4x4 blocks and its clips say so.
        QCOMPARE(reader.FrameWidth(), codec == Codec::MSVideo1 ? (width + 3) & ~3 : width);
        QCOMPARE(reader.FrameHeight(), codec == Codec::MSVideo1 ? (height + 3) & ~3 : height);

        // Every way runs before anything is compared, so that valgrind sees them all.
        std::vector<QImage> packed, own, inSlots;
        std::vector<long> overruns;  // guard bytes after a slot's frame that its decoding changed
        for (int n = 0; n < frames; ++n) packed.push_back(pictureOf(reader.AVIGetFrame(n)));
        cDIBSection buffer;
        for (int n = 0; n < frames; ++n)
            own.push_back(reader.GetFrameInto(n, buffer) ? buffer.HDC()->copy() : QImage());
        // Into the slots of one block, as a clip loads.
        FrameStore store;
        store.ReserveFrames(frames, reader.FrameWidth(), reader.FrameHeight());
        if (store.arena)
            std::memset(const_cast<void*>(store.arena->Base()), kGuard, store.arena->MappedBytes());
        else
            qInfo("no frame block here: the frames get buffers of their own");
        for (int n = 0; n < frames; ++n) {
            auto frame = store.NewFrame(n);
            inSlots.push_back(reader.GetFrameInto(n, *frame) ? frame->HDC()->copy() : QImage());
            if (!store.arena) continue;
            // From the frame's end to the end of the next slot nothing is written.
            const auto* base = static_cast<const uint8_t*>(store.arena->Base());
            const uint8_t* end =
                frame->DIBSectionBitsPtr() + size_t(frame->BytesPerScanLine()) * size_t(frame->Height());
            const uint8_t* guardEnd =
                std::min(base + store.arena->MappedBytes(), base + (size_t(n) + 2) * store.arena->SlotBytes());
            overruns.push_back(long(std::count_if(end, guardEnd, [](uint8_t b) { return b != kGuard; })));
        }
        // Both previews: the plain one and the open dialog's pane.
        const QImage first = ClipFirstFrame(path);
        const auto previous = platform::SetClipPreviewProvider(ClipFirstFrame);
        platform::FilePreviewPane pane;
        pane.ShowFile(path);
        platform::SetClipPreviewProvider(previous);

        for (int n = 0; n < frames; ++n) {
            QVERIFY2(!packed[size_t(n)].isNull(), QByteArray::number(n).constData());
            QCOMPARE(own[size_t(n)], packed[size_t(n)]);
            QCOMPARE(inSlots[size_t(n)], packed[size_t(n)]);
        }
        QCOMPARE(overruns, std::vector<long>(store.arena ? size_t(frames) : 0, 0));
        QCOMPARE(first.convertToFormat(QImage::Format_BGR888), packed[0]);
        QVERIFY(!pane.Picture().isNull());
    }
};

QTEST_MAIN(TestFrameSafety)
#include "tst_framesafety.moc"
