#include "PackedPicture.h"
#include "ClipWriter.h"
#include "FfmpegReference.h"
#include "HandMadeAvi.h"
#include "NumberedClip.h"
#include "SettingsStoreFixture.h"
#include "clips/cVideo.h"
#include "imaging/DibFormat.h"
#include "platform/MessageBox.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

using cliptools::ClipRecipe;
using cliptools::Codec;

Q_DECLARE_METATYPE(cliptools::Codec)
Q_DECLARE_METATYPE(cliptools::ClipRecipe)

namespace {

const QString kFileError = QStringLiteral("There was an error working with the file:\n");
const QString kNoDecoder = QStringLiteral("No suitable decompressor found for this video stream!");

int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// How far a codec may move a flat colour: none raw, a coarse fixed palette, 5 bits a channel.
int tolerance(Codec codec) {
    return codec == Codec::RawBGR24 ? 0 : codec == Codec::Pal8 ? 26 : codec == Codec::MSVideo1 ? 10 : 14;
}

// The number carried by frame n as the reader hands it out (-1 for none).
int numberAt(cVideo& video, int n) { return cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n))); }

}  // namespace

class TestCVideo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<platform::MsgBoxCall> m_boxes;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString writeClip(const QString& name, const ClipRecipe& format, int frames) {
        return WriteNumberedClip(m_dir.path(), name, frames, format);
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

    // Every codec, container, colour matrix and range, turn and rate a clip comes in: each frame a
    // bottom-up 24-bit bitmap of the upright picture, carrying its own number in its own colours,
    // shown at its own time, and the picture FFmpeg's own tool shows.
    void everyCodecReadsTrueFrames_data() {
        QTest::addColumn<ClipRecipe>("format");
        QTest::addColumn<QString>("container");
        const std::pair<const char*, Codec> codecs[] = {
            {"mjpeg", Codec::MJPEG}, {"mpeg4", Codec::MPEG4},       {"bgr24", Codec::RawBGR24},
            {"pal8", Codec::Pal8},   {"msvideo1", Codec::MSVideo1}, {"cinepak", Codec::Cinepak}};
        for (const auto& [name, codec] : codecs) {
            QTest::addRow("%s 320x240", name) << ClipRecipe{.codec = codec} << "avi";
            QTest::addRow("%s 321x241", name) << ClipRecipe{.width = 321, .height = 241, .codec = codec} << "avi";
        }
        // Codecs that store pictures out of presentation order, in the containers phones write.
        QTest::newRow("mpeg4 b-frames avi") << ClipRecipe{.codec = Codec::MPEG4, .bFrames = 2} << "avi";
        QTest::newRow("h264 b-frames avi") << ClipRecipe{.codec = Codec::H264, .bFrames = 3} << "avi";
        QTest::newRow("h264 b-frames mp4") << ClipRecipe{.codec = Codec::H264, .bFrames = 3} << "mp4";
        QTest::newRow("h264 b-frames mkv") << ClipRecipe{.width = 322, .height = 242, .codec = Codec::H264, .bFrames = 3}
                                           << "mkv";
        QTest::newRow("hevc b-frames mp4") << ClipRecipe{.codec = Codec::HEVC, .bFrames = 4} << "mp4";
        QTest::newRow("hevc 10-bit mov") << ClipRecipe{.codec = Codec::HEVC10, .bFrames = 2} << "mov";
        QTest::newRow("vp9 webm") << ClipRecipe{.codec = Codec::VP9} << "webm";
        QTest::newRow("mjpeg mov") << ClipRecipe{.codec = Codec::MJPEG} << "mov";
        // Flat fields show a wrong matrix or range; the number blocks' sharp edges a coarse chroma filter.
        QTest::newRow("h264 bt709 limited") << ClipRecipe{.codec = Codec::H264, .bt709 = true} << "mp4";
        QTest::newRow("h264 bt601 full") << ClipRecipe{.codec = Codec::H264, .fullRange = true} << "mp4";
        QTest::newRow("hevc 10-bit bt709") << ClipRecipe{.codec = Codec::HEVC10, .bt709 = true} << "mp4";
        // A phone held upright records a quarter turn in the display matrix.
        for (int r : {90, 180, 270}) QTest::addRow("h264 turned %d mp4", r) << ClipRecipe{.codec = Codec::H264, .rotation = r} << "mp4";
        QTest::newRow("h264 turned 90 mov") << ClipRecipe{.codec = Codec::H264, .rotation = 90} << "mov";
        // Phones write variable frame rates: frame n is still the n-th picture, shown at its own time.
        const auto at = [](int n) { return int64_t(n < 10 ? n * 33 : n < 20 ? 500 + n * 17 : 2000 + n * 40); };
        QTest::newRow("h264 variable rate mp4") << ClipRecipe{.codec = Codec::H264, .gopSize = 8, .bFrames = 2, .showAtMs = at}
                                                << "mp4";
    }
    void everyCodecReadsTrueFrames() {
        QFETCH(ClipRecipe, format);
        QFETCH(QString, container);
        constexpr int kFrames = 60;
        const QString file = writeClip(QStringLiteral("%1.%2").arg(QTest::currentDataTag(), container), format, kFrames);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QVERIFY(m_boxes.empty());
        // AVI and MP4 indexes give the count at once; Matroska's duration gives an estimate.
        if (container == "mkv" || container == "webm")
            QVERIFY2(std::abs(video.NumberOfFrames() - kFrames) <= 1, qPrintable(QString::number(video.NumberOfFrames())));
        else
            QCOMPARE(video.NumberOfFrames(), kFrames);
        QCOMPARE(video.FirstFrame(), 0);
        // MS Video 1 knows only whole 4x4 blocks: its clip is coded and declared at 324x244. A
        // quarter turn swaps the sides.
        int width = format.width, height = format.height;
        if (format.codec == Codec::MSVideo1) width = (width + 3) & ~3, height = (height + 3) & ~3;
        if (format.rotation % 180 != 0) std::swap(width, height);
        QCOMPARE(QSize(video.FrameWidth(), video.FrameHeight()), QSize(width, height));
        // Turned back by hand, the stored picture's number reads again (a wrong direction would
        // mirror its bits).
        const QTransform turnedBack = QTransform().rotate(-format.rotation);
        const auto number = [&](int n) { return cliptools::ReadFrameNumber(PictureOfPacked(video.AVIGetFrame(n)).transformed(turnedBack)); };
        const auto seconds = [&](int n) { return format.showAtMs ? format.showAtMs(n) / 1000.0 : n / 25.0; };
        for (int n = 0; n < kFrames; ++n) {  // in order
            const uint8_t* packed = video.AVIGetFrame(n);
            QVERIFY(packed);
            const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
            QCOMPARE(QList<int>({int(h.biSize), h.biWidth, h.biHeight, h.biBitCount, int(h.biCompression)}),
                     QList<int>({40, width, height, 24, 0}));
            QCOMPARE(int(h.biSizeImage), ((width * 3 + 3) & ~3) * height);
            const QImage picture = PictureOfPacked(packed).transformed(turnedBack);
            QCOMPARE(cliptools::ReadFrameNumber(picture), n);
            const QColor expected = QColor::fromHsv((n * 37) % 360, 160, 200);
            const QColor seen = picture.pixelColor(picture.width() / 3, picture.height() * 3 / 4);
            QVERIFY2(colourDistance(seen, expected) <= tolerance(format.codec),
                     qPrintable(QStringLiteral("frame %1: %2 instead of %3").arg(n).arg(seen.name(), expected.name())));
            QVERIFY2(std::abs(video.FrameSeconds(n) - seconds(n)) < 0.0015, qPrintable(QString::number(n)));
        }
        QVERIFY(video.AVIGetFrame(kFrames) == nullptr);
        QVERIFY(video.FrameCountIsExact());
        QCOMPARE(video.NumberOfFrames(), kFrames);
        QCOMPARE(video.DecoderSeeks(), 0);  // reading in order never repositions
        QVERIFY(std::abs(video.FramesPerSecond() - (kFrames - 1) / (seconds(kFrames - 1) - seconds(0))) < 0.01);
        // Out of order, across key frames and backwards.
        for (int n : {37, 3, 50, 59, 0, 13, 12, 11, 1, 58}) QCOMPARE(number(n), n);
        QVERIFY(video.DecoderSeeks() > 0);
        QVERIFY(video.AVIGetFrame(-1) == nullptr);
        // A preview is its own frame, upright, averaged down.
        cDIBSection whole, preview;
        const QSize small(width / 4, height / 3);
        QVERIFY(video.GetFrameInto(7, whole) && video.GetPreviewInto(7, preview, small));
        QCOMPARE(preview.HDC()->size(), small);
        const double apart = MeanLevelDifference(*preview.HDC(), whole.HDC()->scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QVERIFY2(apart <= 4, qPrintable(QString::number(apart)));
        const QImage reference = FfmpegPicture(file, 5);
        if (reference.isNull()) QSKIP("ffmpeg is not installed");
        const double difference = MeanLevelDifference(PictureOfPacked(video.AVIGetFrame(5)), reference);
        QVERIFY2(difference <= 1.0, qPrintable(QString::number(difference)));
    }

    // One frame, more frames than a clip may load, and AVI headers whose frame count lies (claimed >= 0):
    // the frames in the file win, read in any order.
    void clipLengths_data() {
        QTest::addColumn<Codec>("codec");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("claimed");
        QTest::newRow("one frame") << Codec::MJPEG << 1 << -1;
        QTest::newRow("999") << Codec::RawBGR24 << 999 << -1;
        QTest::newRow("claims more than there are") << Codec::MJPEG << 20 << 45;
        QTest::newRow("claims fewer than there are") << Codec::MJPEG << 20 << 7;
        QTest::newRow("claims none") << Codec::MJPEG << 20 << 0;
    }
    void clipLengths() {
        QFETCH(Codec, codec);
        QFETCH(int, frames);
        QFETCH(int, claimed);
        const bool raw = codec == Codec::RawBGR24;
        QString file = writeClip(QStringLiteral("n%1.avi").arg(frames),
                                 {.width = raw ? 40 : 64, .height = raw ? 8 : 48, .codec = codec, .gopSize = 5}, frames);
        if (claimed >= 0) {
            QByteArray bytes = ReadAll(file);
            QVERIFY(testavi::PatchFrameCounts(bytes, uint32_t(claimed)));
            QVERIFY(testavi::WriteBytes(file = path(QStringLiteral("lie%1.avi").arg(claimed)), bytes));
        }
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        QCOMPARE(video.NumberOfFrames(), frames);
        for (int n : {frames - 1, frames / 2}) QCOMPARE(numberAt(video, n), n);
        for (int n = 0; n < frames; ++n) QCOMPARE(numberAt(video, n), n);
        QVERIFY(video.AVIGetFrame(frames) == nullptr);
        QVERIFY(video.AVIGetFrame(44) == nullptr || frames > 44);
        QCOMPARE(numberAt(video, 0), 0);  // and back after running off the end
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
        const QString file = path(withIndex ? QStringLiteral("dropped.avi") : QStringLiteral("dropped_noidx.avi"));
        QVERIFY(testavi::WriteBytes(file, testavi::RawBgrAvi({.width = 40, .height = 16, .withIndex = withIndex}, frames)));
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        // Without an index nothing tells of the empty chunks after the last picture, and the
        // header's claim holds until the reader reaches the end.
        const int count = withIndex ? 71 : 61;
        QCOMPARE(video.NumberOfFrames(), 71);
        const auto shown = [&](int n) { return *std::prev(std::upper_bound(pictured.begin(), pictured.end(), n)); };
        for (int n = 0; n < count; ++n) QCOMPARE(numberAt(video, n), shown(n));
        QVERIFY(video.AVIGetFrame(count) == nullptr);
        QCOMPARE(video.NumberOfFrames(), count);
        for (int n : {37, 3, 50, 70 % count, 9, 8, 0}) QCOMPARE(numberAt(video, n), shown(n));
        // Exact colours survive an uncompressed clip, bottom-up rows and all.
        QCOMPARE(PictureOfPacked(video.AVIGetFrame(25)), cliptools::NumberedFrame(25, 40, 16).convertToFormat(QImage::Format_BGR888));
    }

    // Nothing at all, text with an AVI name, sound only, headers without a picture, a missing
    // file, absurd sizes, a file cut inside its headers, and a compression nobody decodes (the one
    // refusal with a message of its own): one message each, and nothing to read.
    void refusedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray oneFrame = testavi::RawBgrAvi({}, {cliptools::NumberedFrame(0, 32, 16)});
        QTest::newRow("empty") << QByteArray("") << kFileError;
        QTest::newRow("text") << QByteArray("This is not a video, just some words.\n").repeated(20) << kFileError;
        QTest::newRow("audio") << testavi::AudioOnlyAvi() << kFileError;
        QTest::newRow("no frames") << testavi::RawBgrAvi({}, {std::nullopt, std::nullopt}) << kFileError;
        QTest::newRow("missing") << QByteArray() << kFileError;
        QTest::newRow("unknown codec") << testavi::RawBgrAvi({.fourcc = "ZQX9"}, {QImage(32, 16, QImage::Format_RGB888)})
                                       << kNoDecoder;
        const std::pair<int, int> absurd[] = {{0, 16}, {-32, 16}, {100000, 16}, {32, 16385}, {0x7FFFFFFF, 0x7FFFFFFF}};
        for (const auto& [w, h] : absurd) {
            QByteArray bytes = oneFrame;
            testavi::PatchDimensions(bytes, w, h);
            QTest::addRow("%dx%d", w, h) << bytes << kFileError;
        }
        QTest::newRow("cut in the headers")
            << ReadAll(writeClip(QStringLiteral("whole.avi"), {.width = 64, .height = 48}, 30)).left(100) << kFileError;
    }
    void refusedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("refused.avi"));
        QFile::remove(file);
        if (!bytes.isNull()) QVERIFY(testavi::WriteBytes(file, bytes));
        cVideo video;
        QVERIFY(!video.OpenAviFile(file));
        QCOMPARE(int(m_boxes.size()), 1);
        QCOMPARE(m_boxes[0].prompt, message == kNoDecoder ? message : message + file);
        QCOMPARE(m_boxes[0].style, int(platform::vbInformation));
        QCOMPARE(m_boxes[0].title, platform::AppTitle());
        QCOMPARE(video.NumberOfFrames(), 0);
        QVERIFY(video.AVIGetFrame(0) == nullptr);
    }

    // Cut halfway through the frames: the frames that are there are read, true to number, and
    // counted once the end is reached; the last, cut one is still handed out whole.
    void truncatedClipReadsWhatIsThere() {
        const QByteArray bytes = ReadAll(writeClip(QStringLiteral("whole.avi"), {.width = 64, .height = 48}, 30));
        const QString half = path(QStringLiteral("cut_half.avi"));
        QVERIFY(testavi::WriteBytes(half, bytes.left(bytes.size() / 2)));
        cVideo video;
        QVERIFY(video.OpenAviFile(half));
        QVERIFY(m_boxes.empty());
        int n = 0;
        while (video.AVIGetFrame(n) && n < 40) ++n;
        QCOMPARE(video.NumberOfFrames(), n);
        QVERIFY(n > 5 && n < 30);
        for (n = 0; n < video.NumberOfFrames() - 1; ++n) QCOMPARE(numberAt(video, n), n);
        QVERIFY(video.AVIGetFrame(video.NumberOfFrames() - 1) != nullptr);
    }

    // A frame copied into the reader's own buffers; palette frames and headers that do not hold
    // their rows are refused and leave the copy as it was.
    void frameCopy() {
        const QString file = writeClip(QStringLiteral("copy.avi"), {.width = 321, .height = 241, .codec = Codec::RawBGR24}, 5);
        cVideo video;
        QVERIFY(video.OpenAviFile(file));
        const uint8_t* packed = video.AVIGetFrame(3);
        QVERIFY(video.CreateFromPackedDIBPointer(packed));
        QCOMPARE(QList<int>({video.Width(), video.Height(), int(video.SizeImage())}), QList<int>({321, 241, 964 * 241}));
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);
        QByteArray bad(40 + 1024 + 64, '\0');
        auto* p = reinterpret_cast<uint8_t*>(bad.data());
        dib::BitmapInfoHeader palette = dib::Header24(8, 8), rowsCut = dib::Header24(8, 8);
        palette.biBitCount = 8;
        palette.biSizeImage = 64;
        rowsCut.biSizeImage = 8 * 24 - 1;  // one byte short of its rows
        for (const dib::BitmapInfoHeader& h : {palette, rowsCut, dib::Header24(100, 100)}) {
            dib::WriteInfoHeader(p, h);
            QVERIFY(!video.CreateFromPackedDIBPointer(p, size_t(bad.size())));
        }
        QVERIFY(!video.CreateFromPackedDIBPointer(nullptr));
        QCOMPARE(video.Width(), 321);
        QVERIFY(std::memcmp(video.PointerToBits(), packed + 40, 964 * 241) == 0);
    }
};

QTEST_GUILESS_MAIN(TestCVideo)
#include "tst_cvideo.moc"
