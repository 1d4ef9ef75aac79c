#include "PackedPicture.h"
#include "ClipWriter.h"
#include "FfmpegReference.h"
#include "HandMadeAvi.h"
#include "clips/cVideo.h"
#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"
#include "platform/MessageBox.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <cstring>
#include <optional>
#include <vector>

using cliptools::Codec;

Q_DECLARE_METATYPE(cliptools::Codec)

namespace {

const QString kFileError = QStringLiteral("There was an error working with the file:");
const QString kNoDecoder = QStringLiteral("No suitable decompressor found for this video stream!");


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

    QString writeClip(const QString& name, Codec codec, int width, int height, int frames, int gop = 12,
                      cliptools::ClipSpec clipFormat = {}) {
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
        QTest::addColumn<QString>("container");
        QTest::addColumn<int>("bFrames");
        const std::pair<const char*, Codec> codecs[] = {
            {"mjpeg", Codec::MJPEG}, {"mpeg4", Codec::MPEG4},       {"bgr24", Codec::RawBGR24},
            {"pal8", Codec::Pal8},   {"msvideo1", Codec::MSVideo1}, {"cinepak", Codec::Cinepak}};
        for (const auto& [name, codec] : codecs) {
            QTest::addRow("%s 320x240", name) << codec << 320 << 240 << "avi" << 0;
            QTest::addRow("%s 321x241", name) << codec << 321 << 241 << "avi" << 0;
        }
        // Codecs that store pictures out of presentation order, in the containers phones write.
        QTest::newRow("mpeg4 b-frames avi") << Codec::MPEG4 << 320 << 240 << "avi" << 2;
        QTest::newRow("h264 b-frames avi") << Codec::H264 << 320 << 240 << "avi" << 3;
        QTest::newRow("h264 b-frames mp4") << Codec::H264 << 320 << 240 << "mp4" << 3;
        QTest::newRow("h264 b-frames mkv") << Codec::H264 << 322 << 242 << "mkv" << 3;
        QTest::newRow("hevc b-frames mp4") << Codec::HEVC << 320 << 240 << "mp4" << 4;
        QTest::newRow("hevc 10-bit mov") << Codec::HEVC10 << 320 << 240 << "mov" << 2;
        QTest::newRow("vp9 webm") << Codec::VP9 << 320 << 240 << "webm" << 0;
        QTest::newRow("mjpeg mov") << Codec::MJPEG << 320 << 240 << "mov" << 0;
    }
    void everyCodecReadsTrueFrames() {
        QFETCH(Codec, codec);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, container);
        QFETCH(int, bFrames);
        constexpr int kFrames = 60;
        cliptools::ClipSpec clipFormat;
        clipFormat.bFrames = bFrames;
        const QString file = writeClip(QStringLiteral("c%1_%2_%3.%4").arg(int(codec)).arg(width).arg(bFrames).arg(container),
                                       codec, width, height, kFrames, 12, clipFormat);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QVERIFY(m_boxes.empty());
        // AVI and MP4 indexes give the count at once; Matroska's duration gives an estimate.
        if (container == "mkv" || container == "webm")
            QVERIFY2(std::abs(video.NumberOfFrames() - kFrames) <= 1, qPrintable(QString::number(video.NumberOfFrames())));
        else
            QCOMPARE(video.NumberOfFrames(), kFrames);
        QCOMPARE(video.FirstFrame(), 0);
        QCOMPARE(video.FramesPerSecond(), 25.0);
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
            const QImage picture = PictureOfPacked(packed);
            QCOMPARE(cliptools::ReadFrameNumber(picture), n);
            const QColor expected = QColor::fromHsv((n * 37) % 360, 160, 200);
            const QColor seen = picture.pixelColor(width / 3, height * 3 / 4);
            QVERIFY2(
                colourDistance(seen, expected) <= tolerance(codec),
                qPrintable(
                    QStringLiteral("frame %1: %2 instead of %3").arg(n).arg(seen.name(), expected.name())));
        }
        QVERIFY(video.AVIGetFrame(kFrames) == nullptr);
        QVERIFY(video.FrameCountIsExact());
        QCOMPARE(video.NumberOfFrames(), kFrames);
        QCOMPARE(video.DecoderSeeks(), 0);  // reading in order never repositions
        // Out of order, across key frames and backwards.
        for (int n : {37, 3, 50, 59, 0, 13, 12, 11, 1, 58}) {
            QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), n);
        }
        QCOMPARE(video.FrameSeconds(50), 2.0);
        QVERIFY(video.DecoderSeeks() > 0);
        // Straight into a buffer gives the same pixels as the packed form.
        cDIBSection direct;
        QVERIFY(video.GetFrameInto(41, direct));
        QCOMPARE(direct.Width(), width);
        QCOMPARE(*direct.HDC(), PictureOfPacked(video.AVIGetFrame(41)));
        QCOMPARE(cliptools::ReadFrameNumber(*direct.HDC()), 41);
        // Outside the clip there is no frame.
        QVERIFY(video.AVIGetFrame(kFrames) == nullptr);
        QVERIFY(video.AVIGetFrame(-1) == nullptr);
    }

    // A phone held upright records a quarter turn in the display matrix: the reader hands out
    // the upright picture, whose size is the turned one.
    void rotatedClipsStandUpright_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QString>("container");
        for (int r : {90, 180, 270}) QTest::addRow("%d mp4", r) << r << "mp4";
        QTest::newRow("90 mov") << 90 << "mov";
    }
    void rotatedClipsStandUpright() {
        QFETCH(int, rotation);
        QFETCH(QString, container);
        cliptools::ClipSpec clipFormat;
        clipFormat.rotation = rotation;
        const QString file = writeClip(QStringLiteral("turned%1.%2").arg(rotation).arg(container), Codec::H264,
                                       320, 240, 12, 12, clipFormat);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        const QSize upright = rotation == 180 ? QSize(320, 240) : QSize(240, 320);
        QCOMPARE(QSize(video.FrameWidth(), video.FrameHeight()), upright);
        for (int n : {5, 10, 2}) {
            const QImage shown = PictureOfPacked(video.AVIGetFrame(n));
            QCOMPARE(shown.size(), upright);
            // Turned back by hand, the stored picture's number reads again (a wrong direction
            // would mirror its bits).
            QCOMPARE(cliptools::ReadFrameNumber(shown.transformed(QTransform().rotate(-rotation))), n);
        }
        const QImage reference = FfmpegPicture(file, 5);
        if (!reference.isNull()) QVERIFY(MeanLevelDifference(PictureOfPacked(video.AVIGetFrame(5)), reference) <= 1.0);
    }

    // Phones write variable frame rates: frame n is still the n-th picture, shown at its own time.
    void variableFrameRateKeepsItsTimes() {
        const auto at = [](int n) { return int64_t(n < 10 ? n * 33 : n < 20 ? 500 + n * 17 : 2000 + n * 40); };
        cliptools::ClipSpec clipFormat;
        clipFormat.showAtMs = at;
        clipFormat.bFrames = 2;
        const QString file = writeClip(QStringLiteral("vfr.mp4"), Codec::H264, 320, 240, 30, 8, clipFormat);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QCOMPARE(video.NumberOfFrames(), 30);
        for (int n : {0, 29, 9, 10, 19, 20, 3, 25}) {
            QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), n);
            QVERIFY2(std::abs(video.FrameSeconds(n) - at(n) / 1000.0) < 0.0015, qPrintable(QString::number(n)));
        }
        QVERIFY(video.AVIGetFrame(30) == nullptr);
        QVERIFY(video.FrameCountIsExact());
        QVERIFY(std::abs(video.FramesPerSecond() - 29 / 3.16) < 0.01);  // 29 intervals over 3.16 s
    }

    // Colour: the stream's matrix and range, converted as FFmpeg's most faithful scaling does.
    void coloursMatchFfmpeg_data() {
        QTest::addColumn<Codec>("codec");
        QTest::addColumn<bool>("bt709");
        QTest::addColumn<bool>("fullRange");
        QTest::newRow("bt709 limited") << Codec::H264 << true << false;
        QTest::newRow("bt601 full") << Codec::H264 << false << true;
        QTest::newRow("bt709 10-bit") << Codec::HEVC10 << true << false;
        QTest::newRow("mjpeg") << Codec::MJPEG << false << true;
    }
    void coloursMatchFfmpeg() {
        QFETCH(Codec, codec);
        QFETCH(bool, bt709);
        QFETCH(bool, fullRange);
        cliptools::ClipSpec clipFormat;
        clipFormat.bt709 = bt709;
        clipFormat.fullRange = fullRange;
        const QString file = writeClip(QStringLiteral("colour%1%2%3.mp4").arg(int(codec)).arg(bt709).arg(fullRange),
                                       codec, 320, 240, 3, 12, clipFormat);
        // Flat fields show a wrong matrix or range; the sharp edges of the number blocks show a
        // coarse chroma filter.
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        const QImage reference = FfmpegPicture(file, 1);
        if (reference.isNull()) QSKIP("ffmpeg is not installed");
        const double difference = MeanLevelDifference(PictureOfPacked(video.AVIGetFrame(1)), reference);
        QVERIFY2(difference <= 1.0, qPrintable(QString::number(difference)));
    }

    void oneFrameClip() {
        const QString file = writeClip(QStringLiteral("one.avi"), Codec::MJPEG, 64, 48, 1);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QCOMPARE(video.NumberOfFrames(), 1);
        QCOMPARE(video.FirstFrame(), 0);
        QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(0))), 0);
        QVERIFY(video.AVIGetFrame(1) == nullptr);
        QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(0))), 0);
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
        // The frames in the file win over the header's claim.
        QCOMPARE(video.NumberOfFrames(), 20);
        for (int n = 0; n < 20; ++n) QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), n);
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
        // Without an index nothing tells of the empty chunks after the last picture, and the
        // header's claim holds until the reader reaches the end.
        const int count = withIndex ? 71 : 61;
        QCOMPARE(video.NumberOfFrames(), 71);
        const auto shown = [&](int n) {
            int last = 0;
            for (int p : pictured)
                if (p <= n) last = p;
            return last;
        };
        for (int n = 0; n < count; ++n)
            QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), shown(n));
        QVERIFY(video.AVIGetFrame(count) == nullptr);
        QCOMPARE(video.NumberOfFrames(), count);
        for (int n : {37, 3, 50, 70 % count, 9, 8, 0})
            QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), shown(n));
        // Exact colours survive an uncompressed clip, bottom-up rows and all.
        const QImage picture = PictureOfPacked(video.AVIGetFrame(25));
        QCOMPARE(picture.pixelColor(20, 12), cliptools::NumberedFrame(25, 40, 16).pixelColor(20, 12));
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));  // bit 0 of 25, top-left
        QCOMPARE(picture.pixelColor(5, 0), QColor(Qt::black));  // bit 1 of 25
    }

    // Nothing at all, text with an AVI name, sound only, headers without a picture, a missing
    // file, and a compression nobody decodes (the one refusal with a message of its own).
    void refusedFiles() {
        testavi::RawAviSpec unknown;
        unknown.fourcc = "ZQX9";
        const std::pair<const char*, QByteArray> files[] = {
            {"empty.avi", QByteArray()},
            {"text.avi", QByteArray("This is not a video, just some words.\n").repeated(20)},
            {"audio.avi", testavi::AudioOnlyAvi()},
            {"noframes.avi", testavi::RawBgrAvi(testavi::RawAviSpec{}, {std::nullopt, std::nullopt})},
            {"missing.avi", QByteArray()},
            {"unknown codec.avi", testavi::RawBgrAvi(unknown, {QImage(32, 16, QImage::Format_RGB888)})},
        };
        for (const auto& [name, bytes] : files) {
            const QString file = path(QLatin1String(name));
            if (std::strcmp(name, "missing.avi") != 0) QVERIFY(testavi::WriteBytes(file, bytes));
            expectRefusal(file, std::strcmp(name, "unknown codec.avi") == 0 ? kNoDecoder : kFileError + '\n' + file);
        }
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
        int n = 0;
        while (video.AVIGetFrame(n) && n < 40) ++n;
        QCOMPARE(video.NumberOfFrames(), n);  // counted once the end is reached
        QVERIFY(n > 5 && n < 30);
        for (n = 0; n < video.NumberOfFrames() - 1; ++n)
            QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))), n);
        // The last, cut frame may be damaged but is still handed out whole.
        QVERIFY(video.AVIGetFrame(video.NumberOfFrames() - 1) != nullptr);
    }

    // A frame copied into the reader's own buffers; palette frames and headers that do not hold
    // their rows are refused and leave the copy as it was.
    void frameCopy() {
        const QString file = writeClip(QStringLiteral("copy.avi"), Codec::RawBGR24, 321, 241, 5);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        const uint8_t* packed = video.AVIGetFrame(3);
        QVERIFY(video.CreateFromPackedDIBPointer(packed));
        QCOMPARE(video.Width(), 321);
        QCOMPARE(video.Height(), 241);
        QCOMPARE(video.SizeImage(), 964 * 241);
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);
        QByteArray palette(40 + 1024 + 64, '\0');
        auto* p = reinterpret_cast<uint8_t*>(palette.data());
        dib::BitmapInfoHeader h = dib::Header24(8, 8);
        h.biBitCount = 8;
        h.biSizeImage = 64;
        dib::WriteInfoHeader(p, h);
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        h = dib::Header24(8, 8);
        h.biSizeImage = 10;
        dib::WriteInfoHeader(p, h);
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        dib::WriteInfoHeader(p, dib::Header24(100, 100));
        QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(palette.size())));
        QVERIFY(!video.CreateFromPackedDIBPointer(nullptr));
        QCOMPARE(video.Width(), 321);
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);
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
        QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(frames - 1))), frames - 1);
        QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(500))), 500);
    }

    void readerCanBeReopened() {
        const QString a = writeClip(QStringLiteral("a.avi"), Codec::MPEG4, 64, 48, 8);
        const QString b = writeClip(QStringLiteral("b.avi"), Codec::MJPEG, 80, 32, 3);
        cVideo video;
        QVERIFY(video.OpenAviFile(a));
        QCOMPARE(cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(7))), 7);
        QVERIFY(video.OpenAviFile(b));
        QCOMPARE(video.NumberOfFrames(), 3);
        QCOMPARE(PictureOfPacked(video.AVIGetFrame(2)).size(), QSize(80, 32));
        QVERIFY(!video.OpenAviFile(path(QStringLiteral("gone.avi"))));
        QCOMPARE(video.NumberOfFrames(), 0);
        QVERIFY(video.AVIGetFrame(0) == nullptr);
    }
};

QTEST_GUILESS_MAIN(TestCVideo)
#include "tst_cvideo.moc"
