// Real clips written by other programs (AVI, and the MP4, MOV, MKV and WEBM files of phones and
// cameras): each one either opens and gives every frame as a 24-bit bitmap of the upright
// picture's size, the same pictures FFmpeg's own tool shows, or is refused with one of the
// reader's messages. They carry no swing the project may ship: whatever key positions are found
// lie inside the clip and in order, and a click, if the sound has one, within the clip.

#include "PackedPicture.h"
#include "FfmpegReference.h"
#include "MsgBoxRecorder.h"
#include "clips/cVideo.h"
#include "compare/KeyPositionFinder.h"
#include "imaging/DibFormat.h"
#include "platform/AudioClick.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

#include <map>
#include <vector>

class TestTestmediaCorpus : public QObject {
    Q_OBJECT

    static QString corpus() { return QStringLiteral(VARKELO_TESTMEDIA_DIR); }

private slots:
    void initTestCase() {
        if (!QDir(corpus()).exists()) QSKIP("the test media corpus is not here");
    }

    void everyFileOpensOrIsRefused_data() {
        QTest::addColumn<QString>("file");
        QStringList files;
        for (const char* folder : {"avi", "mp4"}) {
            QDirIterator it(corpus() + QLatin1Char('/') + QLatin1String(folder), QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) files << it.next();
        }
        files.sort();
        for (const QString& f : files) QTest::newRow(qPrintable(QDir(corpus()).relativeFilePath(f))) << f;
    }
    void everyFileOpensOrIsRefused() {
        QFETCH(QString, file);
        // Frame counts measured independently of this reader; files that must be refused.
        static const std::map<QString, int> known = {
            {"avi/vcsamples/MFC2.AVI", 40}, {"avi/vcsamples/filecopy.avi", 17},
            {"avi/vcsamples/search.avi", 29}, {"avi/3dmm/TONY1.AVI", 99}, {"avi/3dmm/PROJ3.AVI", 82},
            {"avi/3dmm/CNTDWN5.AVI", 21}, {"avi/bgslibrary/demo.avi", 51}, {"avi/bgslibrary/video.avi", 374},
            {"avi/fuzzing-corpus/bear_mpeg4asp_mp3.avi", 30},
            {"avi/fuzzing-corpus/blackwhite_yuv420p.avi", 1}, {"avi/fuzzing-corpus/mjpeg.avi", 3},
            {"avi/mediaarea/AVC_file1.avi", 50}, {"avi/fluent-ffmpeg/testvideo-43.avi", 10},
            {"avi/fluent-ffmpeg/testvideo-169.avi", 10},
            // The pictures FFmpeg's tool decodes (edit lists drop some of the stored ones).
            {"mp4/androidx-media/dolbyVision-hdr.MOV", 4},
            {"mp4/metadata-extractor-images/with-gps.mov", 120},
            {"mp4/androidx-media/h265_with_metadata_track.mp4", 3},
            {"mp4/metadata-extractor-images/FLIR_Thermal.mp4", 84},
            {"mp4/androidx-media/sample_sef_slow_motion.mp4", 63},
            {"mp4/androidx-media/roadtrip-vp92-10bit.webm", 72},
            {"mp4/androidx-media/bear-vp9-odd-dimensions.webm", 30},
            {"mp4/androidx-media/sample_av1.mkv", 30}, {"mp4/androidx-media/sample.mkv", 30},
            {"mp4/jcodec/test.prores.mov", 40}, {"mp4/metadata-extractor-images/sample_iPod.m4v", 855},
            {"mp4/androidx-media/sample_2_byte_NAL_length.mp4", 30}, {"mp4/jcodec/itunes.mov", 1},
            {"mp4/androidx-media/sample_mdat_too_long.mp4", 30}};
        static const QStringList refused = {"avi/mediaarea/AAC_file1.avi", "avi/mediaarea/AC-3_file1.avi",
                                            "avi/exiftool/RIFF.avi", "mp4/androidx-media/sample_malformed_free_box.mp4"};
        const QString name = QDir(corpus()).relativeFilePath(file);
        MsgBoxRecorder boxes;
        cVideo video;
        const bool opened = video.OpenAviFile(file);
        if (!opened) {
            QCOMPARE(int(boxes.calls.size()), 1);
            QVERIFY(
                boxes.calls[0].prompt == QStringLiteral("There was an error working with the file:\n") + file ||
                boxes.calls[0].prompt == QStringLiteral("No suitable decompressor found for this video stream!"));
            QCOMPARE(boxes.calls[0].style, int(platform::vbInformation));
            QVERIFY2(!known.count(name), "a good clip was refused");
            return;
        }
        QVERIFY(boxes.calls.empty());
        QVERIFY2(!refused.contains(name), "a file without frames was opened");
        const int width = video.FrameWidth(), height = video.FrameHeight();
        QVERIFY(width > 0 && height > 0);
        const int stride = (width * 3 + 3) & ~3;
        std::vector<QImage> pictures;  // for the key positions, of clips up to 400 frames
        const bool keep = video.NumberOfFrames() <= 400;
        // The count is the index's or the headers' until the end is reached.
        for (int n = video.FirstFrame(); n < video.FirstFrame() + video.NumberOfFrames(); ++n) {
            const uint8_t* packed = video.AVIGetFrame(n);
            if (!packed && n >= video.FirstFrame() + video.NumberOfFrames()) break;  // ended before the estimate
            QVERIFY2(packed, qPrintable(QStringLiteral("frame %1").arg(n)));
            const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
            QCOMPARE(QList<int>({h.biBitCount, h.biWidth, h.biHeight, int(h.biSizeImage)}),
                     QList<int>({24, width, height, stride * height}));
            QVERIFY(video.CreateFromPackedDIBPointer(packed));
            if (keep && pictures.size() < 400) pictures.push_back(PictureOfPacked(packed));
        }
        const int count = video.NumberOfFrames();
        QVERIFY(!video.AVIGetFrame(video.FirstFrame() + count));
        QCOMPARE(video.NumberOfFrames(), count);
        QVERIFY(count >= 1 && count <= 32767);
        if (known.count(name)) QCOMPARE(count, known.at(name));
        const KeyPositions found = int(pictures.size()) == count ? FindKeyPositions(pictures, video.FramesPerSecond()) : KeyPositions{};
        for (int k = 0, previous = -1; k < 4; previous = std::max(previous, found[k++]))
            QVERIFY2(found[k] < 0 || (found[k] > previous && found[k] < count), qPrintable(KeyPositionTag(k)));
        const std::optional<double> click = platform::ClickSeconds(file);
        const double start = video.StartSeconds(), end = start + video.FrameSeconds(count);
        QVERIFY2(!click || (*click >= start - 1 && *click <= end + 1), qPrintable(QString::number(click.value_or(0))));
        // Rates as recorded: a slow-motion capture tag, a slightly variable rate, a variable one.
        static const std::map<QString, double> rates = {{"mp4/androidx-media/sample_sef_slow_motion.mp4", 240},
                                                        {"mp4/metadata-extractor-images/with-gps.mov", 29.99},
                                                        {"mp4/metadata-extractor-images/FLIR_Thermal.mp4", 7.3}};
        if (rates.count(name))
            QVERIFY2(std::abs(video.FramesPerSecond() - rates.at(name)) < 0.1, qPrintable(QString::number(video.FramesPerSecond())));
        // Back to the start and to the middle: the same bytes as in order.
        const std::vector<uint8_t> last(video.PointerToBits(), video.PointerToBits() + video.SizeImage());
        QVERIFY(video.AVIGetFrame(video.FirstFrame()));
        const uint8_t* again = video.AVIGetFrame(video.FirstFrame() + count - 1);
        QVERIFY(again && std::equal(last.begin(), last.end(), again + 40));

        // The same pictures as FFmpeg's own tool, upright and in the stream's colours: the first,
        // and where both count the same pictures (no dropped-frame chunks), the middle and last.
        const int theirs = FfmpegPictureCount(file);
        if (theirs < 0) return;  // the tool is not installed
        for (int n : theirs == count ? std::vector{0, count / 2, count - 1} : std::vector{0}) {
            const QImage ours = PictureOfPacked(video.AVIGetFrame(video.FirstFrame() + n));
            const double difference = MeanLevelDifference(ours, FfmpegPicture(file, n));
            QVERIFY2(difference <= 1.0, qPrintable(QStringLiteral("frame %1 differs by %2").arg(n).arg(difference)));
        }
    }
};

QTEST_GUILESS_MAIN(TestTestmediaCorpus)
#include "tst_testmedia_corpus.moc"
