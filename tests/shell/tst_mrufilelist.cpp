// The recent-file list and the settings it keeps: order and captions of recent files,
// a save and load through a real store file, and stores that are missing, damaged or
// hold values no program of ours would write.

#include "SettingsStoreFixture.h"
#include "ui/Globals.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"

#include <QtEndian>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\varkelo\\video");

// A list as the main window makes it before loading.
cMRUFileList FreshList(Globals& program) {
    cMRUFileList list(program);
    list.SetMaxFileCount(4);
    return list;
}

QStringList Entries(const cMRUFileList& list) {
    QStringList out;
    for (int i = 1; i <= list.FileCount(); ++i) out << list.File(i);
    return out;
}

bool Raises9(const std::function<void()>& f) { return Raised(f).Number() == errSubscriptOutOfRange; }

}  // namespace

class TestMRUFileList : public QObject {
    Q_OBJECT
    SettingsStoreFixture fx_;
    cRegistry reg_;
    Globals program_;  // what the lists load into and save from

    // Every load the main window makes at start, into a fresh list and settings at known
    // start values: what each load returned and what differs from those values. The list
    // must stay usable whatever was loaded.
    QString Loaded() {
        program_ = Globals{};
        program_.WorkingDir = QStringLiteral("/before");
        program_.ModelDir = QStringLiteral("/kept");
        program_.ToolPos.drawTool = {5, 6};
        cMRUFileList list = FreshList(program_);
        QString out;
        for (bool ok :
             {list.Load(reg_), list.LoadDir(reg_), list.LoadModelDir(reg_), list.LoadToolCoor(reg_)})
            out += ok ? '1' : '0';
        if (list.MaxFileCount() != 4) out += QStringLiteral(" cap=%1").arg(list.MaxFileCount());
        if (list.FileCount() > 0) out += " files=" + Entries(list).join('|');
        if (program_.WorkingDir != "/before") out += " work=" + program_.WorkingDir;
        if (program_.ModelDir != "/kept") out += " model=" + program_.ModelDir;
        const auto& pos = program_.ToolPos;
        using Position = std::tuple<const char*, QPoint, QPoint>;  // name, loaded, start value
        for (const auto& [name, at, start] :
             {Position{"image", pos.imageTool, {}}, Position{"draw", pos.drawTool, {5, 6}},
              Position{"vc", pos.videoControls, {}}, Position{"adjust", pos.adjustTool, {}}})
            if (at != start) out += QStringLiteral(" %1=%2,%3").arg(name).arg(at.x()).arg(at.y());
        if (!list.LoadMarkStyle(reg_)) out += " (marks refused)";
        if (program_.Marks.color != MarkStyle{}.color || program_.Marks.width != MarkStyle{}.width)
            out += QStringLiteral(" mark=%1,%2").arg(program_.Marks.color).arg(program_.Marks.width);
        if (!Raises9([&] { list.File(list.MaxFileCount() + 1); })) out += " (indexed past the capacity)";
        list.AddFile(QStringLiteral("/after.avi"));
        if (list.File(1) != "/after.avi" || list.FileCount() > list.MaxFileCount()) out += " (list broken)";
        return out;
    }

private Q_SLOTS:
    void init() {
        fx_.SetUp();
        reg_ = cRegistry();
        reg_.SetClassKey(HKEY_CURRENT_USER);
        reg_.SetSectionKey(kKey);
        program_ = Globals{};
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
        QTest::newRow("tail of 32 fits")
            << "/aaaa/bbbb/" + QString(31, 'c') << "&1)  .../" + QString(31, 'c');
        // A file name longer than 32: the last assignment (at the first separator) stands.
        const QString longName = "/a/" + QString(40, 'n');
        QTest::newRow("long file name") << longName << "&1)  ..." + longName;
        // Backslashes are ordinary characters in a file name here.
        QTest::newRow("backslashes are not separators")
            << "/clips\\2002\\March\\driver_front_view_take3.avi"
            << "&1)  .../clips\\2002\\March\\driver_front_view_take3.avi";
    }
    void captions() {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        cMRUFileList list = FreshList(program_);
        list.AddFile(path);
        QCOMPARE(list.MenuCaption(1), caption);
    }

    void addFileOrder() {
        cMRUFileList list = FreshList(program_);
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
        QCOMPARE(Entries(list),
                 (QStringList{"/clips/e.avi", "/clips/C.avi", "/clips/b.avi", "/clips/a.avi"}));
        // One file reached by another path (a link) is one entry, in the form opened last.
        const QString file = fx_.Path("Swing.avi"), other = fx_.Path("swing.avi"),
                      link = fx_.Path("link.avi");
        WriteAll(file, "x");
        WriteAll(other, "y");
        QVERIFY(QFile::link(file, link));
        cMRUFileList files = FreshList(program_);
        for (const QString& f : {file, other, link}) files.AddFile(f);
        QCOMPARE(Entries(files), (QStringList{link, other}));
        // A list without capacity keeps nothing and does not fail.
        cMRUFileList none(program_);
        none.AddFile(QStringLiteral("/x.avi"));
        QCOMPARE(none.FileCount(), 0);
    }

    void capacityAndIndices() {
        cMRUFileList list = FreshList(program_);
        list.AddFile(QStringLiteral("/a.avi"));
        QVERIFY(Raises9([&] { list.File(0); }));
        QVERIFY(Raises9([&] { list.FileExists(5); }));
        QVERIFY(Raises9([&] { list.MenuCaption(5); }));
        QVERIFY(Raises9([&] { cMRUFileList(program_).File(1); }));
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
        cMRUFileList saved = FreshList(program_);
        for (const char* p : {"/home/me/Клипы/swing one.avi", "/home/me/clips/%HOME%.avi", "/home/me/c.avi"})
            saved.AddFile(QString::fromUtf8(p));
        program_.WorkingDir = QStringLiteral("/home/me/clips");
        program_.ModelDir = QStringLiteral("/home/me/100%PATH% swings");
        program_.ToolPos = {{1230, 4560}, {1, 2}, {0, 7}, {3000, 40000}};
        program_.Marks = {0x123456, 4};
        QVERIFY(saved.SaveSettings(reg_));  // what the window writes at its end

        // The layout on disk: names in this order, counts as numbers, the rest as text.
        QStringList names;
        QCOMPARE(RegistryStore::Instance().EnumValueNames(HKEY_CURRENT_USER, kKey, names),
                 long(ERROR_SUCCESS));
        QCOMPARE(names, (QStringList{"MaxCount", "Count", "File1", "File2", "File3", "WorkingDir", "ModelDir",
                                     "ImageToolX", "ImageToolY", "DrawToolX", "DrawToolY", "VControlToolX",
                                     "VControlToolY", "AdjustToolX", "AdjustToolY", "MarkColor", "MarkWidth"}));
        QCOMPARE(Stored(kKey, "Count"), (RegValue{REG_DWORD, QByteArray("\x03\0\0\0", 4)}));
        QCOMPARE(Stored(kKey, "File2"), (RegValue{REG_SZ, EncodeText("/home/me/clips/%HOME%.avi")}));
        QCOMPARE(Stored(kKey, "VControlToolY"), (RegValue{REG_SZ, EncodeText("40000")}));

        QCOMPARE(Loaded(),
                 QString::fromUtf8("1111 files=/home/me/c.avi|/home/me/clips/%HOME%.avi|/home/me/Клипы/swing "
                                   "one.avi work=/home/me/clips model=/home/me/100%PATH% swings "
                                   "image=1,2 draw=1230,4560 vc=3000,40000 adjust=0,7 mark=1193046,4"));

        // An empty folder is written as an empty text, not left out.
        program_.WorkingDir.clear();
        QVERIFY(saved.SaveSettings(reg_));
        QCOMPARE(Stored(kKey, "WorkingDir"), (RegValue{REG_SZ, EncodeText(QString())}));
    }

    // Stores as another program or a damaged save may leave them: "Name=kind:text" items,
    // kind d a REG_DWORD number, s text, x expandable text, b binary in hex; "#" and bytes:
    // a store file with those bytes; nothing: no store at all. The outcome: what each load
    // returned (Load, LoadDir, LoadModelDir, LoadToolCoor) and what differs from the start
    // values (capacity 4, no files, work /before, model /kept, positions 0,0 but draw 5,6).
    void storedValuesLoad_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("loaded");
        const QString files = QStringLiteral(";File1=s:/f1;File2=s:/f2;File3=s:/f3;File4=s:/f4;File5=s:/f5");
        // The start values stored, so that rows about the list show only the list. (A value
        // missing from an existing key reads as empty: see the first rows that lack them.)
        const QString same =
            QStringLiteral("WorkingDir=s:/before;ModelDir=s:/kept;DrawToolX=s:5;DrawToolY=s:6;");
        const auto row = [](const char* name, const QString& stored, const char* loaded) {
            QTest::newRow(name) << stored << QString::fromUtf8(loaded);
        };
        row("missing store", "", "1111");
        row("damaged store", "#not a store {[", "1111");
        row("no MaxCount: refused", "Count=d:2;File1=s:/a.avi;WorkingDir=s:/w",
            "0111 work=/w model= draw=0,0");
        row("count above capacity", same + "MaxCount=d:4;Count=d:99" + files, "1111 files=/f1|/f2|/f3|/f4");
        row("capacity above the menu", same + "MaxCount=d:1000000;Count=d:6" + files,
            "1111 files=/f1|/f2|/f3|/f4");
        row("capacity one", same + "MaxCount=d:1;Count=d:3" + files, "1111 cap=1 files=/f1");
        row("mark style", same + "MaxCount=d:4;MarkColor=d:255;MarkWidth=d:4", "1111 mark=255,4");
        row("mark style out of range", same + "MaxCount=d:4;MarkColor=d:-1;MarkWidth=d:9",
            "1111 mark=16777215,5");
        row("smaller capacity", same + "MaxCount=d:2;Count=d:3" + files, "1111 cap=2 files=/f1|/f2");
        row("negative capacity", same + "MaxCount=d:-5;Count=d:3" + files, "0111");
        row("negative count", same + "MaxCount=d:4;Count=d:-3" + files, "1111");
        row("count as text", same + "MaxCount=d:4;Count=s:2" + files, "1111 files=/f1|/f2");
        row("count not a number", same + "MaxCount=d:4;Count=s:abc" + files, "0111");
        row("capacity binary", same + "MaxCount=b:04000000;Count=d:2" + files, "0111");
        // File2 missing, File3 a number, File4 binary (which stops the load; what was read
        // stays), File7 beyond the capacity.
        row("odd file values",
            same + "MaxCount=d:4;Count=d:4;File1=s:/one;File3=d:33;File4=b:0102;File7=s:/7",
            "0111 files=/one||33|");
        row("odd folders", same + "MaxCount=d:4;WorkingDir=d:12;ModelDir=b:2f78", "1101 work=12");
        // Older saves stored a path holding a "%NAME%" pair as expandable text: it comes back
        // as written.
        row("expandable paths",
            same + "MaxCount=d:4;Count=d:1;File1=x:/%MRU_TEST%.avi;WorkingDir=x:/c/%MRU_TEST%",
            "1111 files=/%MRU_TEST%.avi work=/c/%MRU_TEST%");
        // Positions: a missing value (ImageToolY) reads as 0, later positions are still read.
        const QString at = QStringLiteral(";MaxCount=d:4;VControlToolX=s:77");
        row("position text with spaces", same + "ImageToolX=s: 45 ;DrawToolY=s:45" + at,
            "1111 image=45,0 draw=5,45 vc=77,0");
        row("position number", same + "ImageToolX=d:600;DrawToolY=d:600" + at,
            "1111 image=600,0 draw=5,600 vc=77,0");
        row("position negative", same + "ImageToolX=s:-200;DrawToolY=s:-200" + at, "1111 draw=5,0 vc=77,0");
        row("position words", same + "ImageToolX=s:left;DrawToolY=s:left" + at, "1111 draw=5,0 vc=77,0");
        row("position beyond 32 bits", same + "ImageToolX=s:99999999999;DrawToolY=s:99999999999" + at,
            "1111 draw=5,0 vc=77,0");
        row("position binary", same + "ImageToolX=b:10000000;DrawToolY=b:10000000" + at,
            "1111 draw=5,0 vc=77,0");
    }
    void storedValuesLoad() {
        QFETCH(QString, stored);
        QFETCH(QString, loaded);
        if (stored.startsWith('#')) WriteAll(fx_.user, stored.mid(1).toLatin1());
        for (const QString& item : stored.split(';', Qt::SkipEmptyParts)) {
            if (item.startsWith('#')) break;
            const QString name = item.section('=', 0, 0), text = item.section('=', 1).mid(2);
            const QChar kind = item.section('=', 1).at(0);
            QByteArray dword(4, '\0');
            qToLittleEndian(text.toInt(), dword.data());
            if (kind == 'd') PutRaw(kKey, name, REG_DWORD, dword);
            if (kind == 's' || kind == 'x')
                PutRaw(kKey, name, kind == 's' ? REG_SZ : REG_EXPAND_SZ, EncodeText(text));
            if (kind == 'b') PutRaw(kKey, name, REG_BINARY, QByteArray::fromHex(text.toLatin1()));
        }
        const QByteArray before = ReadAll(fx_.user);
        qputenv("MRU_TEST", "/srv");
        QCOMPARE(Loaded(), loaded);
        qunsetenv("MRU_TEST");
        QCOMPARE(ReadAll(fx_.user), before);  // loading writes nothing
        QCOMPARE(QFile::exists(fx_.user), !stored.isEmpty());
    }

    void failedSaves() {
        cMRUFileList list = FreshList(program_);
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
        cMRUFileList loaded = FreshList(program_);
        QVERIFY(loaded.Load(reg_));
        QCOMPARE(Entries(loaded), QStringList{"/first.avi"});

        // A store whose folder cannot be made: every save fails; loading finds nothing.
        const QString blocker = fx_.Path("blocker");
        WriteAll(blocker, "");
        RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER, blocker + "/varkelo/registry.json");
        QVERIFY(!list.Save(reg_) && !list.SaveSettings(reg_) && !list.SaveDir(reg_));
        QVERIFY(!list.SaveModelDir(reg_) && !list.SaveToolCoor(reg_));
        cMRUFileList none = FreshList(program_);
        QVERIFY(none.Load(reg_));
        QCOMPARE(none.FileCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMRUFileList)
#include "tst_mrufilelist.moc"
