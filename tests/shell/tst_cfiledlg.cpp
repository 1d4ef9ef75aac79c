#include "ChosenFile.h"
#include "platform/FileDialogWindow.h"
#include "platform/FilePreviewPane.h"
#include "shell/cFileDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using platform::FileDialogRequest;
using platform::FileDialogResult;
using platform::FileFilterPair;

namespace {

const QChar kNul(u'\0');
const QString kVideoFilter = QStringLiteral("AVI Files|*.avi|Picture Files|*.bmp;*.jpg;*.jpeg");
const std::vector<FileFilterPair> kVideoPairs{{"AVI Files", "*.avi"},
                                              {"Picture Files", "*.bmp;*.jpg;*.jpeg"}};

QString nul(const char* text) {
    // Test texts spell NUL as "~".
    QString s = QString::fromUtf8(text);
    s.replace(u'~', kNul);
    return s;
}

QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A picture of one colour, as the preview shows it: its size and its middle pixel's colour
// (within a JPEG's error).
bool shows(const QImage& picture, QSize size, QColor colour) {
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return picture.size() == size && std::abs(c.red() - colour.red()) <= 12 &&
           std::abs(c.green() - colour.green()) <= 12 && std::abs(c.blue() - colour.blue()) <= 12;
}

}  // namespace

class TestFileDlg : public QObject {
    Q_OBJECT
private slots:
    void filterConversion_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("converted");
        QTest::addColumn<QStringList>("pairs");  // what the dialog lists, description then patterns
        QTest::newRow("two pairs") << kVideoFilter
                                   << nul("AVI Files~*.avi~Picture Files~*.bmp;*.jpg;*.jpeg~~")
                                   << QStringList{"AVI Files", "*.avi", "Picture Files",
                                                  "*.bmp;*.jpg;*.jpeg"};
        // A ":" splits as well, shifting every later field: the dialog sees the pairs up to
        // the first empty field.
        QTest::newRow("colon splits")
            << "Drive C: clips|*.avi|Stills|*.bmp" << nul("Drive C~ clips~*.avi~Stills~*.bmp~~")
            << QStringList{"Drive C", " clips", "*.avi", "Stills"};
        QTest::newRow("colon ends the list")
            << "Clips on D:|*.avi" << nul("Clips on D~~*.avi~~") << QStringList();
        QTest::newRow("empty") << "" << nul("~~") << QStringList();
    }
    void filterConversion() {
        QFETCH(QString, filter);
        QFETCH(QString, converted);
        QFETCH(QStringList, pairs);
        QCOMPARE(cFileDlg::ConvertFilter(filter), converted);
        QStringList listed;
        for (const FileFilterPair& p : cFileDlg::FilterPairs(converted))
            listed << p.description << p.patterns;
        QCOMPARE(listed, pairs);
    }

    // The toolbar's "Open Video": what reaches the dialog, and what comes back. A cancel, and a
    // choice that does not fit its buffers with their terminating NUL (1024 characters for the
    // path, 512 for the file title), fail the call: the name and filter are reset, the start
    // folder kept. A choice that fits fills the whole file buffer.
    void openWithPreview_data() {
        QTest::addColumn<QString>("chosen");  // empty: cancelled
        QTest::addColumn<bool>("ok");
        const QString deep = QStringLiteral("/d").repeated(508);  // 1016 characters
        QTest::newRow("a choice") << QStringLiteral("/home/coach/swings/driver 01.avi") << true;
        QTest::newRow("cancelled") << QString() << false;
        QTest::newRow("path of 1024") << deep + "/axx.avi" << false;
        QTest::newRow("path of 1023") << deep + "/ax.avi" << true;
        QTest::newRow("title of 512") << "/clips/" + QString(512, u'n') << false;
        QTest::newRow("title of 511") << "/clips/" + QString(511, u'n') << true;
    }
    void openWithPreview() {
        QFETCH(QString, chosen);
        QFETCH(bool, ok);
        ChosenFile answerer;
        answerer.Choose(chosen, 2);
        QWidget owner;
        cFileDlg dlg;
        dlg.OwnerHwnd = &owner;
        dlg.Filter = kVideoFilter;
        dlg.FilterIndex = 1;
        dlg.Flags = 0x8;
        dlg.DlgTitle = QStringLiteral("Open AVI File");
        dlg.InitDirectory = QStringLiteral("/srv/clips");
        QString fileName = QStringLiteral("old.avi"), fileTitle = QStringLiteral("old");
        QCOMPARE(dlg.VBGetOpenFileNamePreview(fileName, &fileTitle), ok);

        const FileDialogRequest& r = answerer.requests.at(0);
        QVERIFY(answerer.requests.size() == 1 && r.kind == FileDialogRequest::Open && r.preview &&
                r.owner == &owner && r.startFileName == QStringLiteral("old.avi"));
        QVERIFY(r.title == dlg.DlgTitle && r.startFolder == QStringLiteral("/srv/clips") && r.filterIndex == 1);
        QCOMPARE(r.filters, kVideoPairs);
        QVERIFY(r.flags == 0x100Cu && r.fileMustExist && r.hideReadOnly && !r.multiSelect && !r.readOnlyTicked);
        if (ok)
            QVERIFY(fileName == chosen && fileTitle == chosen.section(u'/', -1) && dlg.FilterIndex == 2 &&
                    dlg.Flags == 0x100C && dlg.Filter == nul("Picture Files~*.bmp;*.jpg;*.jpeg") &&
                    dlg.InitDirectory == chosen + QString(1024 - chosen.size(), kNul));
        else
            QVERIFY(fileName == kNul && fileTitle == kNul && dlg.Filter == kNul && dlg.Flags == 0 &&
                    dlg.FilterIndex == -1 && dlg.InitDirectory == QStringLiteral("/srv/clips"));
    }

    // The preview pane, driven directly: pictures, and files it cannot show.
    void previewPane() {
        QTemporaryDir dir;
        const QString bmp = dir.filePath(QStringLiteral("big.bmp"));
        QVERIFY(solid(QSize(800, 600), QColor(200, 30, 40)).save(bmp, "BMP"));
        const QString jpg = dir.filePath(QStringLiteral("small.JPG"));
        QVERIFY(solid(QSize(60, 40), QColor(20, 160, 60)).save(jpg, "JPEG", 95));
        const QString fake = dir.filePath(QStringLiteral("notes.jpg"));
        const QString clip = dir.filePath(QStringLiteral("swing.avi"));
        for (const QString& f : {fake, clip}) QVERIFY(QFile(f).open(QIODevice::WriteOnly));

        platform::FilePreviewPane pane;
        pane.ShowFile(bmp);
        QVERIFY(shows(pane.Picture(), QSize(200, 150), QColor(200, 30, 40)));  // scaled into the pane
        QCOMPARE(pane.findChild<QLabel*>(QStringLiteral("previewCaption"))->text(),
                 QStringLiteral("800 x 600"));
        pane.ShowFile(jpg);
        QVERIFY(shows(pane.Picture(), QSize(60, 40), QColor(20, 160, 60)));  // small pictures keep their size

        // Nothing it can show: no stale picture, and the words saying so. (A clip the provider
        // reads shows its picture: the frame-safety test.)
        const auto noPreview = [&](const QString& path) {
            pane.ShowFile(path);
            return pane.Picture().isNull() && pane.Text() == QStringLiteral("No preview");
        };
        QVERIFY(noPreview(fake));
        QVERIFY(noPreview(dir.filePath(QStringLiteral("gone.bmp"))));
        const auto previous = platform::SetClipPreviewProvider(
            [](const QString&) -> QImage { throw std::runtime_error("broken"); });
        QVERIFY(noPreview(clip));
        platform::SetClipPreviewProvider({});
        QVERIFY(noPreview(clip));
        platform::SetClipPreviewProvider(previous);
    }

    // The real dialog, set up from a request (never run modally here).
    void realDialogIsSetUpFromTheRequest() {
        QTemporaryDir dir;
        const QString bmp = dir.filePath(QStringLiteral("frame.bmp"));
        QVERIFY(solid(QSize(40, 30), Qt::yellow).save(bmp, "BMP"));

        FileDialogRequest request;
        request.startFolder = dir.path();
        request.filters = kVideoPairs;
        request.filterIndex = 2;
        request.preview = true;
        request.SetFlags(0x1000 | 0x1);  // read-only box shown and ticked
        platform::FileDialogWindow dialog(request);
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        const QStringList names{"AVI Files (*.avi)", "Picture Files (*.bmp *.jpg *.jpeg)"};
        QCOMPARE(dialog.nameFilters(), names);
        QCOMPARE(dialog.selectedNameFilter(), names[1]);
        QVERIFY(dialog.ReadOnlyBox() && dialog.ReadOnlyBox()->isChecked());
        QVERIFY(dialog.PreviewPane() && dialog.isAncestorOf(dialog.PreviewPane()));

        // Moving the selection updates the preview pane.
        emit dialog.currentChanged(bmp);
        QCOMPARE(dialog.PreviewPane()->Picture().size(), QSize(40, 30));

        const FileDialogResult cancelled = dialog.Result(false);
        QVERIFY(!cancelled.accepted && cancelled.filterIndex == 2 && cancelled.readOnly);
        dialog.selectNameFilter(names[0]);
        dialog.ReadOnlyBox()->setChecked(false);
        dialog.selectFile(bmp);
        const FileDialogResult chosen = dialog.Result(true);
        QVERIFY(chosen.accepted && chosen.filterIndex == 1 && !chosen.readOnly && chosen.path == bmp);

        // Without the preview or the read-only box, neither is added; an out-of-range
        // index shows the first pair; a start "folder" that is a file starts beside it.
        FileDialogRequest plain;
        plain.kind = FileDialogRequest::Save;
        plain.startFolder = bmp;
        plain.filters = {{"Clips (all)", "*.avi"}};
        plain.filterIndex = 7;
        plain.SetFlags(0x2);  // overwrite prompt
        platform::FileDialogWindow save(plain);
        QVERIFY(!save.PreviewPane() && !save.ReadOnlyBox());
        QVERIFY(save.acceptMode() == QFileDialog::AcceptSave &&
                !save.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(save.selectedNameFilter(), QStringLiteral("Clips [all] (*.avi)"));
        QCOMPARE(QDir(save.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    }
};

QTEST_MAIN(TestFileDlg)
#include "tst_cfiledlg.moc"
