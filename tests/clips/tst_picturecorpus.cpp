// Real-world pictures (the BMP suite and JPEG oddities written by other projects): each
// either opens into video 1 with the reader's own size and pixels, or is refused with a
// clear message while the picture before stays. Skips when the corpus is absent.

#include "MsgBoxRecorder.h"
#include "TestDesktop.h"
#include "clips/PictureReader.h"
#include "imaging/cDIBSection.h"
#include "shell/frm_Main.h"

#include <QDirIterator>
#include <QTest>

using namespace platform;

class TestPictureCorpus : public QObject {
    Q_OBJECT
    QString corpus_ = QStringLiteral(VARKELO_TESTMEDIA_DIR);

private slots:
    void everyPictureOpensOrIsRefusedCleanly() {
        if (!QDir(corpus_).exists()) QSKIP("the real-world media corpus is not beside the project");
        TestDesktop desktop;
        QStringList files;
        QDirIterator it(corpus_, {QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        files.sort();
        QVERIFY2(files.size() > 50, "the corpus should hold the BMP suite and the JPEG set");
        frm_Main w;
        MsgBoxRecorder boxes;
        // A known picture first, so that a refusal can be seen to keep it.
        const QString good = corpus_ + QStringLiteral("/bmp/bmpsuite/g/rgb24.bmp");
        QVERIFY(w.fOpenPic(good));
        int opened = 0, refused = 0;
        QStringList goodSuiteRefused;
        for (const QString& file : files) {
            const QSize before = w.Video1.Frame(0)->HDC()->size();
            const size_t messages = boxes.calls.size();
            if (w.fOpenPic(file)) {
                ++opened;
                QCOMPARE(boxes.calls.size(), messages);
                // The store holds what the reader decodes, pixel for pixel.
                const PictureResult expected = ReadPicture(file);
                QVERIFY2(!expected.picture.isNull(), qPrintable(file));
                const QImage& stored = *w.Video1.Frame(0)->HDC();
                QCOMPARE(stored.size(), expected.picture.size());
                QCOMPARE(w.ClipKind, 1);
                const QImage want = expected.picture.convertToFormat(QImage::Format_RGB888);
                // Some damaged files leave pixels the decoder never writes; those differ
                // from read to read and say nothing about our store.
                if (ReadPicture(file).picture.convertToFormat(QImage::Format_RGB888) != want) continue;
                const QPoint probes[] = {
                    {0, 0}, {want.width() / 2, want.height() / 2}, {want.width() - 1, want.height() - 1}};
                for (const QPoint& p : probes)
                    QVERIFY2(stored.pixelColor(p).rgb() == want.pixelColor(p).rgb(), qPrintable(file));
            } else {
                ++refused;
                QCOMPARE(boxes.calls.size(), messages + 1);
                QVERIFY2(boxes.calls.back().prompt.startsWith(
                             QStringLiteral("The picture could not be read:\n") + file),
                         qPrintable(boxes.calls.back().prompt));
                QCOMPARE(w.Video1.Frame(0)->HDC()->size(), before);
                if (file.contains(QStringLiteral("/bmpsuite/g/"))) goodSuiteRefused << file;
            }
        }
        qInfo("%d pictures opened, %d refused", opened, refused);
        // The suite's "good" files are all valid BMPs that any reader should open.
        QVERIFY2(goodSuiteRefused.isEmpty(), qPrintable(goodSuiteRefused.join(QLatin1Char(' '))));
        QVERIFY(opened > refused);
    }
};

QTEST_MAIN(TestPictureCorpus)
#include "tst_picturecorpus.moc"
