#include "ClipWriter.h"
#include "HandMadeAvi.h"
#include "clips/cVideo.h"
#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"
#include "platform/MessageBox.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <vector>

using cliptools::Codec;

Q_DECLARE_METATYPE(cliptools::Codec)

namespace {

const QString kFileError = QStringLiteral("There was an error working with the file:");
const QString kNoDecoder = QStringLiteral("No suitable decompressor found for this video stream!");

// The picture inside a packed bitmap handed out by the reader.
QImage pictureOf(const uint8_t* packed) {
    if (!packed) return {};
    const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
    cDIBSection section;
    if (!section.CreateFromPackedDIB(packed, dib::kInfoHeaderSize + size_t(h.biSizeImage))) return {};
    return section.HDC()->copy();
}

int colourDistance(const QColor& a, const QColor& b) {
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// How far a codec may move a flat colour.
int tolerance(Codec codec) {
    switch (codec) {
        case Codec::RawBGR24:
            return 0;
        case Codec::Pal8:
            return 26;  // a coarse fixed palette
        case Codec::MSVideo1:
            return 10;  // 5 bits a channel
        default:
            return 14;
    }
}

}  // namespace

class TestCVideo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<platform::MsgBoxCall> m_boxes;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString writeClip(const QString& name, Codec codec, int width, int height, int frames, int gop = 12) {
        cliptools::ClipSpec clipFormat;
        clipFormat.codec = codec;
        clipFormat.width = width;
        clipFormat.height = height;
        clipFormat.gopSize = gop;
        QString error;
        const QString file = path(name);
        if (!cliptools::WriteClip(
                file, clipFormat, frames, [&](int n) { return cliptools::NumberedFrame(n, width, height); },
                &error))
            qWarning() << "clip not written:" << error;
        return file;
    }

    // Opens a file that must be refused, and checks the one message it gives.
    void expectRefusal(const QString& file, const QString& message) {
        m_boxes.clear();
        cVideo video;
        QVERIFY(!video.OpenAviFile(file));
        QCOMPARE(int(m_boxes.size()), 1);
        QCOMPARE(m_boxes[0].prompt, message);
        QCOMPARE(m_boxes[0].style, int(platform::vbInformation));
        QCOMPARE(m_boxes[0].title, platform::AppTitle());
        QCOMPARE(video.NumberOfFrames(), 0);
        QVERIFY(video.AVIGetFrame(0) == nullptr);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        platform::SetMsgBoxAnswerer([this](const platform::MsgBoxCall& call) {
            m_boxes.push_back(call);
            return int(platform::vbOK);
        });
    }
    void cleanupTestCase() { platform::SetMsgBoxAnswerer({}); }
    void init() { m_boxes.clear(); }

    void everyCodecReadsTrueFrames_data() {
        QTest::addColumn<Codec>("codec");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        const std::pair<const char*, Codec> codecs[] = {
            {"mjpeg", Codec::MJPEG}, {"mpeg4", Codec::MPEG4},       {"bgr24", Codec::RawBGR24},
            {"pal8", Codec::Pal8},   {"msvideo1", Codec::MSVideo1}, {"cinepak", Codec::Cinepak}};
        for (const auto& [name, codec] : codecs) {
            QTest::addRow("%s 320x240", name) << codec << 320 << 240;
            QTest::addRow("%s 321x241", name) << codec << 321 << 241;
        }
    }
    void everyCodecReadsTrueFrames() {
        QFETCH(Codec, codec);
        QFETCH(int, width);
        QFETCH(int, height);
        constexpr int kFrames = 60;
        const QString file =
            writeClip(QStringLiteral("c%1_%2.avi").arg(int(codec)).arg(width), codec, width, height, kFrames);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QVERIFY(m_boxes.empty());
        QCOMPARE(video.NumberOfFrames(), kFrames);
        QCOMPARE(video.FirstFrame(), 0);
        QCOMPARE(video.FramesPerSecond(), 25.0);
        const int stride = (width * 3 + 3) & ~3;
        QCOMPARE(stride, width == 320 ? 960 : 964);
        // MS Video 1 knows only whole 4x4 blocks: its clip is coded and declared at 324x244.
        if (codec == Codec::MSVideo1) {
            width = (width + 3) & ~3;
            height = (height + 3) & ~3;
        }
        QCOMPARE(video.FrameWidth(), width);
        QCOMPARE(video.FrameHeight(), height);
        const int frameStride = (width * 3 + 3) & ~3;
        // In order: every frame carries its own number, upright and in its own colours.
        for (int n = 0; n < kFrames; ++n) {
            const uint8_t* packed = video.AVIGetFrame(n);
            QVERIFY(packed);
            const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
            QCOMPARE(int(h.biSize), 40);
            QCOMPARE(h.biWidth, width);
            QCOMPARE(h.biHeight, height);  // positive: bottom-up
            QCOMPARE(int(h.biBitCount), 24);
            QCOMPARE(int(h.biCompression), 0);
            QCOMPARE(int(h.biSizeImage), frameStride * height);
            const QImage picture = pictureOf(packed);
            QCOMPARE(cliptools::ReadFrameNumber(picture), n);
            const QColor expected = QColor::fromHsv((n * 37) % 360, 160, 200);
            const QColor seen = picture.pixelColor(width / 3, height * 3 / 4);
            QVERIFY2(
                colourDistance(seen, expected) <= tolerance(codec),
                qPrintable(
                    QStringLiteral("frame %1: %2 instead of %3").arg(n).arg(seen.name(), expected.name())));
        }
        QCOMPARE(video.DecoderSeeks(), 0);  // reading in order never repositions
        // Out of order, across key frames and backwards.
        for (int n : {37, 3, 50, 59, 0, 13, 12, 11}) {
            QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(n))), n);
        }
        QVERIFY(video.DecoderSeeks() > 0);
        // Straight into a buffer gives the same pixels as the packed form.
        cDIBSection direct;
        QVERIFY(video.GetFrameInto(41, direct));
        QCOMPARE(direct.Width(), width);
        QCOMPARE(*direct.HDC(), pictureOf(video.AVIGetFrame(41)));
        QCOMPARE(cliptools::ReadFrameNumber(*direct.HDC()), 41);
        // Outside the clip there is no frame.
        QVERIFY(video.AVIGetFrame(kFrames) == nullptr);
        QVERIFY(video.AVIGetFrame(-1) == nullptr);
    }

    void oneFrameClip() {
        const QString file = writeClip(QStringLiteral("one.avi"), Codec::MJPEG, 64, 48, 1);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QCOMPARE(video.NumberOfFrames(), 1);
        QCOMPARE(video.FirstFrame(), 0);
        QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(0))), 0);
        QVERIFY(video.AVIGetFrame(1) == nullptr);
        QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(0))), 0);
    }

    void headerCountThatLies_data() {
        QTest::addColumn<int>("claimed");
        QTest::newRow("more than there are") << 45;
        QTest::newRow("fewer than there are") << 7;
        QTest::newRow("none") << 0;
    }
    void headerCountThatLies() {
        QFETCH(int, claimed);
        const QString file = writeClip(QStringLiteral("lie.avi"), Codec::MJPEG, 64, 48, 20, 5);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        QVERIFY(testavi::PatchFrameCounts(bytes, uint32_t(claimed)));
        const QString patched = path(QStringLiteral("lie%1.avi").arg(claimed));
        QVERIFY(testavi::WriteBytes(patched, bytes));
        cVideo video;
        QVERIFY(video.OpenAviFile(patched));
        QCOMPARE(video.HeaderFrameCount(), int64_t(claimed));
        // The frames in the file win over the header's claim.
        QCOMPARE(video.NumberOfFrames(), 20);
        for (int n = 0; n < 20; ++n) QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(n))), n);
        QVERIFY(video.AVIGetFrame(20) == nullptr);
        QVERIFY(video.AVIGetFrame(44) == nullptr);
    }

    void emptyChunksRepeatThePreviousPicture_data() {
        QTest::addColumn<bool>("withIndex");
        QTest::newRow("idx1") << true;
        QTest::newRow("no index") << false;
    }
    void emptyChunksRepeatThePreviousPicture() {
        QFETCH(bool, withIndex);
        // 71 chunks, 9 with pictures, the rest dropped frames (also at the end).
        const std::vector<int> pictured = {0, 1, 9, 10, 25, 40, 41, 55, 60};
        std::vector<std::optional<QImage>> frames(71);
        for (int n : pictured) frames[size_t(n)] = cliptools::NumberedFrame(n, 40, 16);
        testavi::RawAviSpec clipFormat;
        clipFormat.width = 40;
        clipFormat.height = 16;
        clipFormat.withIndex = withIndex;
        const QString file =
            path(withIndex ? QStringLiteral("dropped.avi") : QStringLiteral("dropped_noidx.avi"));
        QVERIFY(testavi::WriteBytes(file, testavi::RawBgrAvi(clipFormat, frames)));

        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        // Without an index nothing tells of the empty chunks after the last picture.
        const int count = withIndex ? 71 : 61;
        QCOMPARE(video.NumberOfFrames(), count);
        const auto shown = [&](int n) {
            int last = 0;
            for (int p : pictured)
                if (p <= n) last = p;
            return last;
        };
        for (int n = 0; n < count; ++n)
            QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(n))), shown(n));
        for (int n : {37, 3, 50, 70 % count, 9, 8, 0})
            QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(n))), shown(n));
        // Exact colours survive an uncompressed clip, bottom-up rows and all.
        const QImage picture = pictureOf(video.AVIGetFrame(25));
        QCOMPARE(picture.pixelColor(20, 12), cliptools::NumberedFrame(25, 40, 16).pixelColor(20, 12));
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));  // bit 0 of 25, top-left
        QCOMPARE(picture.pixelColor(5, 0), QColor(Qt::black));  // bit 1 of 25
    }

    void refusedFiles() {
        // Nothing at all.
        const QString empty = path(QStringLiteral("empty.avi"));
        QVERIFY(testavi::WriteBytes(empty, QByteArray()));
        expectRefusal(empty, kFileError + QLatin1Char('\n') + empty);
        // Text with an AVI name.
        const QString text = path(QStringLiteral("text.avi"));
        QVERIFY(
            testavi::WriteBytes(text, QByteArray("This is not a video, just some words.\n").repeated(20)));
        expectRefusal(text, kFileError + QLatin1Char('\n') + text);
        // A file that does not exist.
        const QString missing = path(QStringLiteral("missing.avi"));
        expectRefusal(missing, kFileError + QLatin1Char('\n') + missing);
        // Sound only.
        const QString audio = path(QStringLiteral("audio.avi"));
        QVERIFY(testavi::WriteBytes(audio, testavi::AudioOnlyAvi()));
        expectRefusal(audio, kFileError + QLatin1Char('\n') + audio);
        // A compression nobody decodes.
        testavi::RawAviSpec unknown;
        unknown.fourcc = "ZQX9";
        const QString nodec = path(QStringLiteral("unknown codec.avi"));
        QVERIFY(
            testavi::WriteBytes(nodec, testavi::RawBgrAvi(unknown, {QImage(32, 16, QImage::Format_RGB888)})));
        expectRefusal(nodec, kNoDecoder);
        // Headers only, no chunk with a picture.
        const QString noFrames = path(QStringLiteral("noframes.avi"));
        QVERIFY(testavi::WriteBytes(noFrames,
                                    testavi::RawBgrAvi(testavi::RawAviSpec{}, {std::nullopt, std::nullopt})));
        expectRefusal(noFrames, kFileError + QLatin1Char('\n') + noFrames);
    }

    void absurdDimensionsAreRefused_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("zero width") << 0 << 16;
        QTest::newRow("negative width") << -32 << 16;
        QTest::newRow("too wide") << 100000 << 16;
        QTest::newRow("too tall") << 32 << 16385;
        QTest::newRow("huge both") << 0x7FFFFFFF << 0x7FFFFFFF;
    }
    void absurdDimensionsAreRefused() {
        QFETCH(int, width);
        QFETCH(int, height);
        QByteArray bytes = testavi::RawBgrAvi(testavi::RawAviSpec{}, {cliptools::NumberedFrame(0, 32, 16)});
        QVERIFY(testavi::PatchDimensions(bytes, width, height));
        const QString file = path(QStringLiteral("absurd.avi"));
        QVERIFY(testavi::WriteBytes(file, bytes));
        expectRefusal(file, kFileError + QLatin1Char('\n') + file);
    }

    void truncatedClips() {
        const QString whole = writeClip(QStringLiteral("whole.avi"), Codec::MJPEG, 64, 48, 30);
        QFile f(whole);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        // Cut inside the headers: nothing to read.
        const QString head = path(QStringLiteral("cut_head.avi"));
        QVERIFY(testavi::WriteBytes(head, bytes.left(100)));
        expectRefusal(head, kFileError + QLatin1Char('\n') + head);
        // Cut halfway through the frames: the frames that are there are read, true to number.
        const QString half = path(QStringLiteral("cut_half.avi"));
        QVERIFY(testavi::WriteBytes(half, bytes.left(bytes.size() / 2)));
        m_boxes.clear();
        cVideo video;
        QVERIFY(video.OpenAviFile(half));
        QVERIFY(m_boxes.empty());
        QVERIFY(video.NumberOfFrames() > 5);
        QVERIFY(video.NumberOfFrames() < 30);
        for (int n = 0; n < video.NumberOfFrames() - 1; ++n)
            QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(n))), n);
        // The last, cut frame may be damaged but is still handed out whole.
        QVERIFY(video.AVIGetFrame(video.NumberOfFrames() - 1) != nullptr);
    }

    void frameCopyAndBmpFile() {
        const QString file = writeClip(QStringLiteral("bmp.avi"), Codec::RawBGR24, 321, 241, 5);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QVERIFY(!video.WriteToFile(path(QStringLiteral("nothing.bmp"))));  // nothing copied yet
        const uint8_t* packed = video.AVIGetFrame(3);
        QVERIFY(video.CreateFromPackedDIBPointer(packed));
        QCOMPARE(video.BitCount(), 24);
        QCOMPARE(video.Planes(), 1);
        QCOMPARE(video.Width(), 321);
        QCOMPARE(video.Height(), 241);
        QCOMPARE(video.Compression(), 0);
        QCOMPARE(video.SizeInfoHeader(), 40);
        QCOMPARE(video.SizeImage(), 964 * 241);
        QCOMPARE(video.FileType(), 0x4D42);
        QCOMPARE(video.SizeFileHeader(), 54 + 964 * 241);
        QCOMPARE(video.BitOffset(), 54);
        QCOMPARE(video.SizeBitmapInfo(), 40);
        QVERIFY(std::memcmp(video.PointerToBitmapInfo(), packed, 40) == 0);
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);

        const QString bmp = path(QStringLiteral("frame3.bmp"));
        QVERIFY(video.WriteToFile(bmp));
        QCOMPARE(QFileInfo(bmp).size(), qint64(54 + 964 * 241));
        QImage read(bmp);
        QVERIFY(!read.isNull());
        const QImage expected = pictureOf(packed);
        QCOMPARE(read.convertToFormat(QImage::Format_BGR888), expected);
        QCOMPARE(cliptools::ReadFrameNumber(read), 3);

        // A palette frame is refused and leaves the copied frame as it was.
        QByteArray palette(40 + 1024 + 64, '\0');
        auto* p = reinterpret_cast<uint8_t*>(palette.data());
        dib::BitmapInfoHeader h = dib::Header24(8, 8);
        h.biBitCount = 8;
        h.biSizeImage = 64;
        dib::WriteInfoHeader(p, h);
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        QCOMPARE(video.BitCount(), 24);
        QCOMPARE(video.Width(), 321);
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);
        // So is a header whose image size cannot hold its rows, or one longer than the memory.
        h = dib::Header24(8, 8);
        h.biSizeImage = 10;
        dib::WriteInfoHeader(p, h);
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        h = dib::Header24(100, 100);
        dib::WriteInfoHeader(p, h);
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        QVERIFY(!video.CreateFromPackedDIBPointer(nullptr));
        QCOMPARE(video.Width(), 321);

        // A write that fails says so.
        QVERIFY(!video.WriteToFile(path(QStringLiteral("no/such/folder/x.bmp"))));
    }

    void framesAroundTheLoadLimit_data() {
        QTest::addColumn<int>("frames");
        QTest::newRow("998") << 998;
        QTest::newRow("999") << 999;
    }
    void framesAroundTheLoadLimit() {
        QFETCH(int, frames);
        const QString file = writeClip(QStringLiteral("n%1.avi").arg(frames), Codec::RawBGR24, 40, 8, frames);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QCOMPARE(video.NumberOfFrames(), frames);
        QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(frames - 1))), frames - 1);
        QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(500))), 500);
    }

    void readerCanBeReopened() {
        const QString a = writeClip(QStringLiteral("a.avi"), Codec::MPEG4, 64, 48, 8);
        const QString b = writeClip(QStringLiteral("b.avi"), Codec::MJPEG, 80, 32, 3);
        cVideo video;
        QVERIFY(video.OpenAviFile(a));
        QCOMPARE(cliptools::ReadFrameNumber(pictureOf(video.AVIGetFrame(7))), 7);
        QVERIFY(video.OpenAviFile(b));
        QCOMPARE(video.NumberOfFrames(), 3);
        QCOMPARE(pictureOf(video.AVIGetFrame(2)).size(), QSize(80, 32));
        QVERIFY(!video.OpenAviFile(path(QStringLiteral("gone.avi"))));
        QCOMPARE(video.NumberOfFrames(), 0);
        QVERIFY(video.AVIGetFrame(0) == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestCVideo)
#include "tst_cvideo.moc"
