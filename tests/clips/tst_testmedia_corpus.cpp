// Real AVI files written by other programs: each one either opens and gives every frame
// as a 24-bit bitmap of the stream's size, or is refused with one of the reader's messages.

#include "clips/cVideo.h"
#include "imaging/DibFormat.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

#include <map>
#include <vector>

class TestTestmediaCorpus : public QObject {
    Q_OBJECT

    std::vector<platform::MsgBoxCall> m_boxes;

    static QString corpus() { return QStringLiteral(VARKELO_TESTMEDIA_DIR "/avi"); }

private slots:
    void initTestCase() {
        if (!QDir(corpus()).exists()) QSKIP("the test media corpus is not here");
        platform::SetMsgBoxAnswerer([this](const platform::MsgBoxCall& call) {
            m_boxes.push_back(call);
            return int(platform::vbOK);
        });
    }
    void cleanupTestCase() { platform::SetMsgBoxAnswerer({}); }

    void everyFileOpensOrIsRefused_data() {
        QTest::addColumn<QString>("file");
        QDirIterator it(corpus(), QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext()) files << it.next();
        files.sort();
        for (const QString& f : files) QTest::newRow(qPrintable(QDir(corpus()).relativeFilePath(f))) << f;
    }
    void everyFileOpensOrIsRefused() {
        QFETCH(QString, file);
        // Frame counts measured independently of this reader; files that must be refused.
        static const std::map<QString, int> known = {
            {"vcsamples/MFC2.AVI", 40},
            {"vcsamples/filecopy.avi", 17},
            {"vcsamples/search.avi", 29},
            {"3dmm/TONY1.AVI", 99},
            {"3dmm/PROJ3.AVI", 82},
            {"3dmm/CNTDWN5.AVI", 21},
            {"bgslibrary/demo.avi", 51},
            {"bgslibrary/video.avi", 374},
            {"fuzzing-corpus/bear_mpeg4asp_mp3.avi", 30},
            {"fuzzing-corpus/blackwhite_yuv420p.avi", 1},
            {"fuzzing-corpus/mjpeg.avi", 3},
            {"mediaarea/AVC_file1.avi", 50},
            {"fluent-ffmpeg/testvideo-43.avi", 10},
            {"fluent-ffmpeg/testvideo-169.avi", 10},
        };
        static const QStringList refused = {"mediaarea/AAC_file1.avi", "mediaarea/AC-3_file1.avi",
                                            "exiftool/RIFF.avi", "not-really-avi/DV.dv"};
        const QString name = QDir(corpus()).relativeFilePath(file);
        m_boxes.clear();
        cVideo video;
        const bool opened = video.OpenAviFile(file);
        if (!opened) {
            QCOMPARE(int(m_boxes.size()), 1);
            QVERIFY(
                m_boxes[0].prompt == QStringLiteral("There was an error working with the file:\n") + file ||
                m_boxes[0].prompt == QStringLiteral("No suitable decompressor found for this video stream!"));
            QCOMPARE(m_boxes[0].style, int(platform::vbInformation));
            QVERIFY2(!known.count(name), "a good clip was refused");
            return;
        }
        QVERIFY(m_boxes.empty());
        QVERIFY2(!refused.contains(name), "a file without frames was opened");
        const int count = video.NumberOfFrames();
        QVERIFY(count >= 1 && count <= 32767);
        if (known.count(name)) QCOMPARE(count, known.at(name));
        const int width = video.FrameWidth();
        const int height = video.FrameHeight();
        QVERIFY(width > 0 && height > 0);
        const int stride = (width * 3 + 3) & ~3;
        for (int n = video.FirstFrame(); n < video.FirstFrame() + count; ++n) {
            const uint8_t* packed = video.AVIGetFrame(n);
            QVERIFY2(packed, qPrintable(QStringLiteral("frame %1").arg(n)));
            const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
            QCOMPARE(int(h.biBitCount), 24);
            QCOMPARE(h.biWidth, width);
            QCOMPARE(h.biHeight, height);
            QCOMPARE(int(h.biSizeImage), stride * height);
            QVERIFY(video.CreateFromPackedDIBPointer(packed));
        }
        // Back to the start and to the middle: the same bytes as in order.
        const std::vector<uint8_t> last(video.PointerToBits(), video.PointerToBits() + video.SizeImage());
        QVERIFY(video.AVIGetFrame(video.FirstFrame()));
        const uint8_t* again = video.AVIGetFrame(video.FirstFrame() + count - 1);
        QVERIFY(again);
        QVERIFY(std::equal(last.begin(), last.end(), again + 40));
    }
};

QTEST_GUILESS_MAIN(TestTestmediaCorpus)
#include "tst_testmedia_corpus.moc"
