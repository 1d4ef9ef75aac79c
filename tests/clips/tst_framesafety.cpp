// Every way a clip's frame is decoded into memory of ours, for every format our clip writers
// make, at widths whose rows end at every alignment: each frame must land inside its own
// buffer, and every way must give the same picture. A write past a heap buffer shows only
// under valgrind (scripts/test.sh --valgrind); the frame block's slots share one mapping, so
// there a pattern after the slot stands guard.

#include "PackedPicture.h"
#include "ClipWriter.h"
#include "HandMadeAvi.h"
#include "clips/ClipPreview.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/FileDialog.h"
#include "platform/FilePreviewPane.h"
#include "platform/MessageBox.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <vector>

using cliptools::Codec;

Q_DECLARE_METATYPE(cliptools::ClipRecipe)

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr int kFrames = 3;
// A codec the clip writer has no entry for: the hand-made uncompressed clip, whose second
// chunk is empty (a dropped frame shows the one before it).
constexpr auto kHandMade = Codec(-1);


QString writeClip(const QString& path, const cliptools::ClipRecipe& format) {
    const auto numbered = [&](int n) { return cliptools::NumberedFrame(n, format.width, format.height); };
    if (format.codec == kHandMade)
        return testavi::WriteBytes(path, testavi::RawBgrAvi({.width = format.width, .height = format.height},
                                                            {numbered(0), std::nullopt, numbered(2)}))
                   ? QString()
                   : QStringLiteral("cannot write the file");
    QString error;
    cliptools::WriteClip(path, format, kFrames, numbered, &error);
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
        QTest::addColumn<cliptools::ClipRecipe>("format");
        QTest::addColumn<QString>("container");
        // The encoder takes only sizes in steps of `step`: the next one up is used.
        struct Format { const char* name; Codec codec; const char* container; int step; };
        const Format formats[] = {
            {"mjpeg", Codec::MJPEG, "avi", 1},       {"mpeg4", Codec::MPEG4, "avi", 1},
            {"bgr24", Codec::RawBGR24, "avi", 1},    {"pal8", Codec::Pal8, "avi", 1},
            {"msvideo1", Codec::MSVideo1, "avi", 1}, {"cinepak", Codec::Cinepak, "avi", 1},
            {"hand-made bgr24", kHandMade, "avi", 1}, {"h264", Codec::H264, "mp4", 2},
            {"hevc", Codec::HEVC, "mkv", 16},        {"hevc10", Codec::HEVC10, "mkv", 16},
            {"vp9", Codec::VP9, "webm", 1},
        };
        QSet<QByteArray> tags;
        for (const Format& f : formats)
            for (const int asked : {1, 5, 10, 161, 321})
                for (const int askedHeight : {5, 16}) {
                    const int width = (asked + f.step - 1) / f.step * f.step;
                    const int height = (askedHeight + f.step - 1) / f.step * f.step;
                    const QByteArray tag = QStringLiteral("%1 %2x%3").arg(f.name).arg(width).arg(height).toUtf8();
                    if (!tags.contains(tag))
                        QTest::newRow(tag.constData())
                            << cliptools::ClipRecipe{.width = width, .height = height, .codec = f.codec} << f.container;
                    tags.insert(tag);
                }
        // A clip filmed turned is turned upright as it is copied out: other writes, other ends.
        for (const int rotation : {90, 180, 270})
            QTest::addRow("h264 10x6 turned %d", rotation)
                << cliptools::ClipRecipe{.width = 10, .height = 6, .codec = Codec::H264, .rotation = rotation} << "mp4";
    }
    void everyWayIntoMemoryStaysInsideItsFrame() {
        QFETCH(cliptools::ClipRecipe, format);
        QFETCH(QString, container);
        const QString path = dir_.filePath(QStringLiteral("%1.%2").arg(QTest::currentDataTag(), container));
        const QString error = writeClip(path, format);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        cVideo reader;
        QVERIFY(reader.OpenAviFile(path));
        const int frames = kFrames;
        QCOMPARE(reader.NumberOfFrames(), frames);
        // MS Video 1 codes whole 4x4 blocks and its clips say so; a quarter turn swaps the sides.
        int width = format.width, height = format.height;
        if (format.codec == Codec::MSVideo1) width = (width + 3) & ~3, height = (height + 3) & ~3;
        if (format.rotation % 180 != 0) std::swap(width, height);
        QCOMPARE(QSize(reader.FrameWidth(), reader.FrameHeight()), QSize(width, height));

        // Every way runs before anything is compared, so that valgrind sees them all.
        std::vector<QImage> packed, own, inSlots;
        std::vector<long> overruns;  // guard bytes after a slot's frame that its decoding changed
        for (int n = 0; n < frames; ++n) packed.push_back(PictureOfPacked(reader.AVIGetFrame(n)));
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
