// The recent-file list and the settings it keeps: order and captions of recent files,
// a save and load through a real store file, and stores that are missing, damaged or
// hold values no program of ours would write.

#include "SettingsStoreFixture.h"
#include "platform/RuntimeError.h"
#include "shell/Globals.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"

#include <QtEndian>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\varkelo\\video");

// Stores an int as REG_DWORD, a QString as REG_SZ, anything else as REG_BINARY bytes.
void Put(const QString& name, const QVariant& v) {
    QByteArray dword(4, '\0');
    qToLittleEndian(qint32(v.toInt()), dword.data());
    const bool number = v.typeId() == QMetaType::Int, text = v.typeId() == QMetaType::QString;
    PutRaw(kKey, name, number ? REG_DWORD : text ? REG_SZ : REG_BINARY,
           number ? dword : text ? EncodeText(v.toString()) : v.toByteArray());
}

// A list as the main window makes it before loading.
cMRUFileList FreshList() {
    cMRUFileList list;
    list.SetMaxFileCount(4);
    return list;
}

QStringList Entries(const cMRUFileList& list) {
    QStringList out;
    for (int i = 1; i <= list.FileCount(); ++i) out << list.File(i);
    return out;
}

bool Raises9(const std::function<void()>& f) {
    try { f(); } catch (const RuntimeError& e) { return e.Number() == errSubscriptOutOfRange; }
    return false;
}

}  // namespace

class TestMRUFileList : public QObject {
    Q_OBJECT
    SettingsStoreFixture fx_;
    cRegistry reg_;

    // Every load the main window makes at start; true only if all of them are.
    bool LoadAll(cMRUFileList& list) {
        const bool files = list.Load(reg_), dir = list.LoadDir(reg_), model = list.LoadModelDir(reg_);
        return files && dir && model && list.LoadToolCoor(reg_);
    }

private Q_SLOTS:
    void init() {
        fx_.SetUp();
        reg_ = cRegistry();
        reg_.SetClassKey(HKEY_CURRENT_USER);
        reg_.SetSectionKey(kKey);
        G() = Globals{};
    }
    void cleanup() { fx_.TearDown(); }

    void captions_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::newRow("long, five folders") << "/Golf/Clips/2002/March/driver_front_view_take3.avi"
                                            << "&1)  .../driver_front_view_take3.avi";
        const QString exactly32 = QStringLiteral("/golf/clips/2002/swing_take_1.av");
        QTest::newRow("32 characters") << exactly32 << "&1)  " + exactly32;
        const QString forty = "ab/" + QString(37, 'x');
        QTest::newRow("40, one separator third") << forty << "&1)  ..." + forty.mid(2);
        QTest::newRow("no separator") << QString(40, 'y') << "&1)  " + QString(40, 'y');
        // Tail of exactly 32 after the separator still fits; 33 does not.
        QTest::newRow("tail of 32 fits") << "/aaaa/bbbb/" + QString(31, 'c') << "&1)  .../" + QString(31, 'c');
        // A file name longer than 32: the last assignment (at the first separator) stands.
        const QString longName = "/a/" + QString(40, 'n');
        QTest::newRow("long file name") << longName << "&1)  ..." + longName;
        // Backslashes are ordinary characters in a file name here.
        QTest::newRow("backslashes are not separators") << "/clips\\2002\\March\\driver_front_view_take3.avi"
                                                        << "&1)  .../clips\\2002\\March\\driver_front_view_take3.avi";
    }
    void captions() {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        cMRUFileList list = FreshList();
        list.AddFile(path);
        QCOMPARE(list.MenuCaption(1), caption);
    }

    void addFileOrder() {
        cMRUFileList list = FreshList();
        for (const char* p : {"/clips/c.avi", "/clips/b.avi", "/clips/a.avi"}) list.AddFile(p);
        QCOMPARE(Entries(list), (QStringList{"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"}));
        // Re-opening the second entry swaps the top two; re-opening the top changes nothing.
        for (int i = 0; i < 2; ++i) {
            list.AddFile(QStringLiteral("/clips/b.avi"));
            QCOMPARE(Entries(list), (QStringList{"/clips/b.avi", "/clips/a.avi", "/clips/c.avi"}));
        }
        // The same name in another case is another file here; a fifth file drops the fourth.
        list.AddFile(QStringLiteral("/clips/C.avi"));
        list.AddFile(QStringLiteral("/clips/e.avi"));
        QCOMPARE(Entries(list), (QStringList{"/clips/e.avi", "/clips/C.avi", "/clips/b.avi", "/clips/a.avi"}));
        // One file reached by another path (a link) is one entry, in the form opened last.
        const QString file = fx_.Path("Swing.avi"), other = fx_.Path("swing.avi"), link = fx_.Path("link.avi");
        WriteAll(file, "x");
        WriteAll(other, "y");
        QVERIFY(QFile::link(file, link));
        cMRUFileList files = FreshList();
        for (const QString& f : {file, other, link}) files.AddFile(f);
        QCOMPARE(Entries(files), (QStringList{link, other}));
        // A list without capacity keeps nothing and does not fail.
        cMRUFileList none;
        none.AddFile(QStringLiteral("/x.avi"));
        QCOMPARE(none.FileCount(), 0);
    }

    void capacityAndIndices() {
        cMRUFileList list = FreshList();
        list.AddFile(QStringLiteral("/a.avi"));
        QVERIFY(Raises9([&] { list.File(0); }));
        QVERIFY(Raises9([&] { list.FileExists(5); }));
        QVERIFY(Raises9([&] { list.MenuCaption(5); }));
        QVERIFY(Raises9([&] { cMRUFileList().File(1); }));
        // Inside the capacity but beyond the count: an empty slot.
        QVERIFY(!list.FileExists(3));
        QCOMPARE(list.MenuCaption(3), QStringLiteral("&3)  "));

        for (const char* p : {"/3", "/2", "/1"}) list.AddFile(p);
        list.SetMaxFileCount(2);
        QCOMPARE(Entries(list), (QStringList{"/1", "/2"}));
        QVERIFY(Raises9([&] { list.File(3); }));
        list.SetMaxFileCount(6);
        QCOMPARE(Entries(list), (QStringList{"/1", "/2"}));
        QVERIFY(!list.FileExists(6));
        QVERIFY(Raises9([&] { list.SetMaxFileCount(0); }));
        QCOMPARE(list.MaxFileCount(), 6);
    }

    void settingsRoundTrip() {
        // Paths are plain text: a "%NAME%" pair in one is part of its name, not a variable.
        cMRUFileList saved = FreshList();
        for (const char* p : {"/home/me/Клипы/swing one.avi", "/home/me/clips/%HOME%.avi", "/home/me/c.avi"})
            saved.AddFile(QString::fromUtf8(p));
        G().WorkingDir = QStringLiteral("/home/me/clips");
        G().ModelDir = QStringLiteral("/home/me/100%PATH% swings");
        G().ToolPos = {{1230, 4560}, {1, 2}, {0, 7}, {3000, 40000}};
        QVERIFY(saved.Save(reg_) && saved.SaveToolCoor(reg_) && saved.SaveDir(reg_) && saved.SaveModelDir(reg_));

        // The layout on disk: names in this order, counts as numbers, the rest as text.
        QStringList names;
        QCOMPARE(RegistryStore::Instance().EnumValueNames(HKEY_CURRENT_USER, kKey, names), long(ERROR_SUCCESS));
        QCOMPARE(names, (QStringList{"MaxCount", "Count", "File1", "File2", "File3", "ImageToolX", "ImageToolY",
                                     "DrawToolX", "DrawToolY", "VControlToolX", "VControlToolY", "AdjustToolX",
                                     "AdjustToolY", "WorkingDir", "ModelDir"}));
        QCOMPARE(Stored(kKey, "Count"), (RegValue{REG_DWORD, QByteArray("\x03\0\0\0", 4)}));
        QCOMPARE(Stored(kKey, "File2"), (RegValue{REG_SZ, EncodeText("/home/me/clips/%HOME%.avi")}));
        QCOMPARE(Stored(kKey, "VControlToolY"), (RegValue{REG_SZ, EncodeText("40000")}));

        const Globals wrote = G();
        G() = Globals{};
        cMRUFileList loaded = FreshList();
        QVERIFY(LoadAll(loaded));
        QCOMPARE(Entries(loaded), Entries(saved));
        QCOMPARE(G().WorkingDir, wrote.WorkingDir);
        QCOMPARE(G().ModelDir, wrote.ModelDir);
        for (auto pos : {&ToolWindowPositions::imageTool, &ToolWindowPositions::drawTool,
                         &ToolWindowPositions::videoControls, &ToolWindowPositions::adjustTool})
            QCOMPARE(G().ToolPos.*pos, wrote.ToolPos.*pos);

        // An empty folder is written as an empty text, not left out.
        G().WorkingDir.clear();
        QVERIFY(saved.SaveDir(reg_));
        QCOMPARE(Stored(kKey, "WorkingDir"), (RegValue{REG_SZ, EncodeText(QString())}));
    }

    void missingOrDamagedStoreKeepsDefaults_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << false << QByteArray();
        // (The store's own reading of damaged files is checked with the store.)
        QTest::newRow("garbage") << true << QByteArray("\x00\x01\xfe\xff garbage \x80\x81", 15);
    }
    void missingOrDamagedStoreKeepsDefaults() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        if (exists) WriteAll(fx_.user, content);
        G().WorkingDir = QStringLiteral("/before");
        G().ToolPos.drawTool = {5, 6};
        cMRUFileList list = FreshList();
        QVERIFY(LoadAll(list));
        QVERIFY(list.MaxFileCount() == 4 && list.FileCount() == 0);
        QCOMPARE(G().WorkingDir, QStringLiteral("/before"));  // nothing read, nothing changed
        QCOMPARE(G().ToolPos.drawTool, QPoint(5, 6));
        QCOMPARE(QFile::exists(fx_.user), exists);  // loading writes nothing
        QCOMPARE(ReadAll(fx_.user), content);
    }

    void missingValues() {
        Put("Count", 2);
        Put("File1", "/a.avi");
        Put("WorkingDir", "/w");
        cMRUFileList list = FreshList();
        QVERIFY(!list.Load(reg_));  // no MaxCount: refused
        QVERIFY(list.MaxFileCount() == 4 && list.FileCount() == 0);
        // A value missing from an existing key reads as empty.
        G().ModelDir = QStringLiteral("/old");
        QVERIFY(list.LoadModelDir(reg_));
        QCOMPARE(G().ModelDir, QString());
        QVERIFY(list.LoadDir(reg_));
        QCOMPARE(G().WorkingDir, QStringLiteral("/w"));
    }

    void oddCounts_data() {
        QTest::addColumn<QVariant>("maxCount");  // stored as Put stores it
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("fileCount");
        const auto row = [](const char* name, const QVariant& max, const QVariant& count, bool result,
                            int capacity, int files) {
            QTest::newRow(name) << max << count << result << capacity << files;
        };
        row("count above capacity", 4, 99, true, 4, 4);
        row("huge capacity", 1000000, 6, true, 4, 4);
        row("smaller capacity", 2, 3, true, 2, 2);
        row("negative capacity", -5, 3, false, 4, 0);
        row("negative count", 4, -3, true, 4, 0);
        row("count as text", 4, QStringLiteral("2"), true, 4, 2);
        row("count not a number", 4, QStringLiteral("abc"), false, 4, 0);
        row("capacity binary", QByteArray("\x04\0\0\0", 4), 2, false, 4, 0);
    }
    void oddCounts() {
        QFETCH(QVariant, maxCount);
        QFETCH(QVariant, count);
        QFETCH(bool, result);
        QFETCH(int, capacity);
        QFETCH(int, fileCount);
        Put("MaxCount", maxCount);
        Put("Count", count);
        for (int i = 1; i <= 7; ++i) Put(QStringLiteral("File%1").arg(i), QStringLiteral("/f%1.avi").arg(i));
        cMRUFileList list = FreshList();
        QCOMPARE(list.Load(reg_), result);
        QCOMPARE((QList<int>{list.MaxFileCount(), list.FileCount()}), (QList<int>{capacity, fileCount}));
        // Every listed entry is the stored one; nothing past the capacity exists.
        for (int i = 1; i <= list.FileCount(); ++i) QCOMPARE(list.File(i), QStringLiteral("/f%1.avi").arg(i));
        QVERIFY(Raises9([&] { list.File(list.MaxFileCount() + 1); }));
        // The list still works after any of these loads.
        list.AddFile(QStringLiteral("/after.avi"));
        QVERIFY(list.File(1) == QStringLiteral("/after.avi") && list.FileCount() <= list.MaxFileCount());
    }

    void missingAndOddFileValues() {
        Put("MaxCount", 4);
        Put("Count", 4);
        Put("File1", "/one.avi");
        // File2 missing, File3 a number, File4 binary; File7 beyond the capacity.
        Put("File3", 33);
        Put("File4", QByteArray("\x01\x02", 2));
        Put("File7", "/seven.avi");
        cMRUFileList list = FreshList();
        QVERIFY(!list.Load(reg_));  // the binary File4 stops the load; what was read stays
        QCOMPARE(list.FileCount(), 4);
        QCOMPARE(Entries(list), (QStringList{"/one.avi", "", "33", ""}));
        QVERIFY(Raises9([&] { list.File(7); }));
    }

    void oddPositions_data() {
        QTest::addColumn<QVariant>("stored");  // stored as Put stores it
        QTest::addColumn<int>("position");
        QTest::newRow("text with spaces") << QVariant(" 45 ") << 45;
        QTest::newRow("number where text is expected") << QVariant(600) << 600;
        QTest::newRow("negative") << QVariant("-200") << 0;
        QTest::newRow("words") << QVariant("left") << 0;
        QTest::newRow("beyond 32 bits") << QVariant("99999999999") << 0;
        QTest::newRow("binary") << QVariant(QByteArray("\x10\x00\x00\x00", 4)) << 0;
    }
    void oddPositions() {
        QFETCH(QVariant, stored);
        QFETCH(int, position);
        for (const char* name : {"ImageToolX", "DrawToolY", "AdjustToolY"}) Put(name, stored);
        Put("VControlToolX", "77");
        G().ToolPos.imageTool = {9, 9};
        cMRUFileList list = FreshList();
        QVERIFY(list.LoadToolCoor(reg_));
        QCOMPARE(G().ToolPos.imageTool, QPoint(position, 0));  // a missing Y reads as empty: 0
        QCOMPARE(G().ToolPos.drawTool, QPoint(0, position));
        QCOMPARE(G().ToolPos.adjustTool, QPoint(0, position));
        QCOMPARE(G().ToolPos.videoControls, QPoint(77, 0));  // later positions are still read
    }

    void oddFolders() {
        Put("WorkingDir", 12);
        Put("ModelDir", QByteArray("/x", 2));
        G().ModelDir = QStringLiteral("/kept");
        cMRUFileList list = FreshList();
        QVERIFY(list.LoadDir(reg_));
        QCOMPARE(G().WorkingDir, QStringLiteral("12"));
        QVERIFY(!list.LoadModelDir(reg_));  // binary is no folder: refused, old value kept
        QCOMPARE(G().ModelDir, QStringLiteral("/kept"));
        // Stored as expandable text (as older saves stored a path with a "%NAME%" pair), a
        // folder or a recent file still comes back as written.
        qputenv("VARKELO_MRU_TEST", "/srv");
        PutRaw(kKey, "WorkingDir", REG_EXPAND_SZ, EncodeText("/clips/%VARKELO_MRU_TEST%"));
        Put("MaxCount", 4);
        Put("Count", 1);
        PutRaw(kKey, "File1", REG_EXPAND_SZ, EncodeText("/clips/%VARKELO_MRU_TEST%.avi"));
        QVERIFY(list.LoadDir(reg_) && list.Load(reg_));
        QCOMPARE(G().WorkingDir, QStringLiteral("/clips/%VARKELO_MRU_TEST%"));
        QCOMPARE(list.File(1), QStringLiteral("/clips/%VARKELO_MRU_TEST%.avi"));
        qunsetenv("VARKELO_MRU_TEST");
    }

    void failedSaves() {
        cMRUFileList list = FreshList();
        list.AddFile(QStringLiteral("/first.avi"));
        QVERIFY(list.Save(reg_));
        const QByteArray before = ReadAll(fx_.user);
        // The disk "fills up" while saving a much longer list.
        for (int i = 0; i < 3; ++i) list.AddFile("/" + QString(2000, QChar(u'a' + i)));
        bool saved = true;
        {
            FileSizeLimit limit(before.size() + 100);
            QVERIFY(limit.ok());
            saved = list.Save(reg_);
        }
        QVERIFY(!saved);
        // All or nothing: no count ahead of its files, the file is as it was and still loads.
        QCOMPARE(ReadAll(fx_.user), before);
        cMRUFileList loaded = FreshList();
        QVERIFY(loaded.Load(reg_));
        QCOMPARE(Entries(loaded), QStringList{"/first.avi"});

        // A store whose folder cannot be made: every save fails; loading finds nothing.
        const QString blocker = fx_.Path("blocker");
        WriteAll(blocker, "");
        RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER, blocker + "/varkelo/registry.json");
        QVERIFY(!list.Save(reg_) && !list.SaveSettings(reg_) && !list.SaveDir(reg_));
        QVERIFY(!list.SaveModelDir(reg_) && !list.SaveToolCoor(reg_));
        cMRUFileList none = FreshList();
        QVERIFY(none.Load(reg_));
        QCOMPARE(none.FileCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMRUFileList)
#include "tst_mrufilelist.moc"
