#include "SettingsStoreFixture.h"  // Raised
#include "platform/FileListBoxes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;

class TestFileListBoxes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileListShowsOnlyThePatternIgnoringCase() {
        QTemporaryDir dir;
        for (const char* name : {"Swing.AVI", "pose.jpeg", "a.bmp", "b.jpg", "notes.txt", "clip.avi.bak"})
            QVERIFY(QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        FileListBox list;
        list.SetPattern(QStringLiteral("*.avi;*.bmp;*.jpg;*.jpeg"));
        list.SetPath(dir.path());
        QTRY_COMPARE(list.ListCount(), 4);
        QVERIFY(!list.SelectFile(QStringLiteral("missing.avi")) &&
                list.SelectFile(QStringLiteral("Swing.AVI")));
        QCOMPARE(list.FileName(), QStringLiteral("Swing.AVI"));
    }

    void missingFolderRaisesPathNotFound() {
        FileListBox list;
        DirListBox dirs;
        QCOMPARE(Raised([&] { list.SetPath(QStringLiteral("/no/such/folder")); }).Number(), long(errPathNotFound));
        QCOMPARE(Raised([&] { dirs.SetPath(QStringLiteral("/no/such/folder")); }).Number(), long(errPathNotFound));
    }

    // The tree opens down to a deep folder once the model has read it; the same folder again
    // is no change.
    void dirListRevealsADeepFolderAndReportsChange() {
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/dirlist-XXXXXX"));
        const QString deep = dir.filePath(QStringLiteral("a/b/c"));
        QVERIFY(QDir().mkpath(deep));
        DirListBox dirs;
        dirs.resize(200, 300);
        dirs.show();
        QSignalSpy change(&dirs, &DirListBox::Change);
        dirs.SetPath(deep);
        dirs.SetPath(deep);
        QVERIFY(change.count() == 1 && dirs.Path() == deep);
        QTRY_COMPARE(dirs.model()->data(dirs.currentIndex(), Qt::DisplayRole).toString(),
                     QStringLiteral("c"));
        QTRY_VERIFY(dirs.isExpanded(dirs.currentIndex().parent()));
    }
};

QTEST_MAIN(TestFileListBoxes)
#include "tst_filelistboxes.moc"
