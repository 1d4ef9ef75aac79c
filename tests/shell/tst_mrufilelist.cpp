// The recent-file list and the settings it keeps: order and captions of recent files,
// a save and load through a real store file, and stores that are missing, damaged or
// hold values no program of ours would write.

#include "platform/RegistryStore.h"
#include "platform/RuntimeError.h"
#include "shell/Globals.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <csignal>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\varkelo\\video");

cRegistry SettingsRegistry() {
    cRegistry r;
    r.SetClassKey(HKEY_CURRENT_USER);
    r.SetSectionKey(kKey);
    return r;
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

void Put(const QString& name, std::uint32_t type, const QByteArray& data) {
    auto& store = RegistryStore::Instance();
    QCOMPARE(store.CreateKey(HKEY_CURRENT_USER, kKey), long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, name, {type, data}), long(ERROR_SUCCESS));
}
void PutText(const QString& name, const QString& text) {
    Put(name, REG_SZ, EncodeText(text));
}
void PutNumber(const QString& name, qint32 v) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    Put(name, REG_DWORD, bytes);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Raises9(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.Number() == errSubscriptOutOfRange;
    }
    return false;
}

}  // namespace

class TestMRUFileList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { RegistryStore::Instance().ResetFilePaths(); }

    void captions_data();
    void captions();
    void addFileOrder();
    void indexOutsideTheListRaises();
    void capacityChanges();
    void settingsRoundTrip();
    void storedLayout();
    void missingKeyKeepsDefaults();
    void emptyMaxCountIsRefused();
    void damagedStoreFile_data();
    void damagedStoreFile();
    void oddCounts_data();
    void oddCounts();
    void missingAndOddFileValues();
    void oddPositions_data();
    void oddPositions();
    void oddFolders();
    void unwritableLocation();
    void failedSaveKeepsPreviousFile();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString user_;
};

void TestMRUFileList::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    user_ = dir_->filePath(QStringLiteral("config/varkelo/registry.json"));
    RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER, user_);
    G() = Globals{};
}

void TestMRUFileList::captions_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::newRow("long, five folders") << "/Golf/Clips/2002/March/driver_front_view_take3.avi"
                                        << "&1)  .../driver_front_view_take3.avi";
    const QString exactly32 = QStringLiteral("/golf/clips/2002/swing_take_1.av");
    QVERIFY(exactly32.size() == 32);
    QTest::newRow("32 characters") << exactly32 << "&1)  " + exactly32;
    const QString forty = QStringLiteral("ab/") + QString(37, QLatin1Char('x'));
    QTest::newRow("40, one separator third") << forty << "&1)  ..." + forty.mid(2);
    QTest::newRow("no separator") << QString(40, QLatin1Char('y')) << "&1)  " + QString(40, QLatin1Char('y'));
    // Tail of exactly 32 after the separator still fits; 33 does not.
    const QString tail32 = QStringLiteral("/aaaa/bbbb/") + QString(31, QLatin1Char('c'));
    QTest::newRow("tail of 32 fits") << tail32 << "&1)  .../" + QString(31, QLatin1Char('c'));
    // A file name longer than 32: the last assignment (at the first separator) stands.
    const QString longName = QStringLiteral("/a/") + QString(40, QLatin1Char('n'));
    QTest::newRow("long file name") << longName << "&1)  ..." + longName;
    // Backslashes are ordinary characters in a file name here.
    QTest::newRow("backslashes are not separators")
        << "/clips\\2002\\March\\driver_front_view_take3.avi"
        << "&1)  .../clips\\2002\\March\\driver_front_view_take3.avi";
}

void TestMRUFileList::captions() {
    QFETCH(QString, path);
    QFETCH(QString, caption);
    cMRUFileList list = FreshList();
    list.AddFile(path);
    QCOMPARE(list.MenuCaption(1), caption);
}

void TestMRUFileList::addFileOrder() {
    cMRUFileList list = FreshList();
    QCOMPARE(list.FileCount(), 0);
    list.AddFile(QStringLiteral("/clips/c.avi"));
    list.AddFile(QStringLiteral("/clips/b.avi"));
    list.AddFile(QStringLiteral("/clips/a.avi"));
    QCOMPARE(Entries(list), (QStringList{"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"}));

    // The same path in another case moves up in the newly added form; count unchanged.
    list.AddFile(QStringLiteral("/CLIPS/C.AVI"));
    QCOMPARE(Entries(list), (QStringList{"/CLIPS/C.AVI", "/clips/a.avi", "/clips/b.avi"}));
    QCOMPARE(list.FileCount(), 3);

    // Re-opening the second entry swaps the top two; re-opening the top changes nothing.
    list.AddFile(QStringLiteral("/clips/a.avi"));
    QCOMPARE(Entries(list), (QStringList{"/clips/a.avi", "/CLIPS/C.AVI", "/clips/b.avi"}));
    list.AddFile(QStringLiteral("/clips/a.avi"));
    QCOMPARE(Entries(list), (QStringList{"/clips/a.avi", "/CLIPS/C.AVI", "/clips/b.avi"}));

    // A fifth different file to a full list of four drops the fourth.
    list.AddFile(QStringLiteral("/clips/d.avi"));
    QCOMPARE(list.FileCount(), 4);
    list.AddFile(QStringLiteral("/clips/e.avi"));
    QCOMPARE(list.FileCount(), 4);
    QCOMPARE(Entries(list), (QStringList{"/clips/e.avi", "/clips/d.avi", "/clips/a.avi", "/CLIPS/C.AVI"}));
    QVERIFY(list.FileExists(4));

    // A list without capacity keeps nothing and does not fail.
    cMRUFileList none;
    none.AddFile(QStringLiteral("/x.avi"));
    QCOMPARE(none.FileCount(), 0);
}

void TestMRUFileList::indexOutsideTheListRaises() {
    cMRUFileList list = FreshList();
    list.AddFile(QStringLiteral("/a.avi"));
    QVERIFY(Raises9([&] { list.File(0); }));
    QVERIFY(Raises9([&] { list.File(5); }));
    QVERIFY(Raises9([&] { list.FileExists(-1); }));
    QVERIFY(Raises9([&] { list.MenuCaption(5); }));
    // Inside the capacity but beyond the count: an empty slot.
    QCOMPARE(list.File(3), QString());
    QVERIFY(!list.FileExists(3));
    QCOMPARE(list.MenuCaption(3), QStringLiteral("&3)  "));
    QVERIFY(Raises9([&] { cMRUFileList().File(1); }));
}

void TestMRUFileList::capacityChanges() {
    cMRUFileList list = FreshList();
    for (const char* p : {"/4", "/3", "/2", "/1"}) list.AddFile(QLatin1String(p));
    list.SetMaxFileCount(2);
    QCOMPARE(list.MaxFileCount(), 2);
    QCOMPARE(list.FileCount(), 2);
    QCOMPARE(Entries(list), (QStringList{"/1", "/2"}));
    QVERIFY(Raises9([&] { list.File(3); }));
    list.SetMaxFileCount(6);
    QCOMPARE(Entries(list), (QStringList{"/1", "/2"}));
    QVERIFY(!list.FileExists(6));
    QVERIFY(Raises9([&] { list.SetMaxFileCount(0); }));
    QVERIFY(Raises9([&] { list.SetMaxFileCount(-3); }));
    QCOMPARE(list.MaxFileCount(), 6);
}

void TestMRUFileList::settingsRoundTrip() {
    cMRUFileList saved = FreshList();
    saved.AddFile(QStringLiteral("/home/me/Клипы/swing one.avi"));
    saved.AddFile(QStringLiteral("/home/me/clips/b.avi"));
    saved.AddFile(QStringLiteral("/home/me/clips/c.avi"));
    G().WorkingDir = QStringLiteral("/home/me/clips");
    G().ModelDir = QStringLiteral("/home/me/pro swings");
    G().ToolPos.imageTool = {1, 2};
    G().ToolPos.drawTool = {1230, 4560};
    G().ToolPos.videoControls = {3000, 40000};
    G().ToolPos.adjustTool = {0, 7};
    {
        cRegistry r = SettingsRegistry();
        QVERIFY(saved.Save(r));
        QVERIFY(saved.SaveDir(r));
        QVERIFY(saved.SaveModelDir(r));
        QVERIFY(saved.SaveToolCoor(r));
    }
    QVERIFY(QFile::exists(user_));
    const Globals wrote = G();
    G() = Globals{};

    cMRUFileList loaded = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(loaded.Load(r));
    QVERIFY(loaded.LoadDir(r));
    QVERIFY(loaded.LoadModelDir(r));
    QVERIFY(loaded.LoadToolCoor(r));
    QCOMPARE(loaded.MaxFileCount(), 4);
    QCOMPARE(loaded.FileCount(), 3);
    QCOMPARE(Entries(loaded), Entries(saved));
    QCOMPARE(G().WorkingDir, wrote.WorkingDir);
    QCOMPARE(G().ModelDir, wrote.ModelDir);
    QCOMPARE(G().ToolPos.imageTool, wrote.ToolPos.imageTool);
    QCOMPARE(G().ToolPos.drawTool, wrote.ToolPos.drawTool);
    QCOMPARE(G().ToolPos.videoControls, wrote.ToolPos.videoControls);
    QCOMPARE(G().ToolPos.adjustTool, wrote.ToolPos.adjustTool);
}

void TestMRUFileList::storedLayout() {
    cMRUFileList list = FreshList();
    list.AddFile(QStringLiteral("/b.avi"));
    list.AddFile(QStringLiteral("/a.avi"));
    G().ToolPos.videoControls = {11, 22};
    cRegistry r = SettingsRegistry();
    QVERIFY(list.Save(r));
    QVERIFY(list.SaveToolCoor(r));
    QVERIFY(list.SaveDir(r));

    auto& store = RegistryStore::Instance();
    QStringList names;
    QCOMPARE(store.EnumValueNames(HKEY_CURRENT_USER, kKey, names), long(ERROR_SUCCESS));
    QCOMPARE(names, (QStringList{"MaxCount", "Count", "File1", "File2", "ImageToolX", "ImageToolY",
                                 "DrawToolX", "DrawToolY", "VControlToolX", "VControlToolY", "AdjustToolX",
                                 "AdjustToolY", "WorkingDir"}));
    RegValue v;
    QCOMPARE(store.QueryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("MaxCount"), v), long(ERROR_SUCCESS));
    QCOMPARE(v, (RegValue{REG_DWORD, QByteArray("\x04\0\0\0", 4)}));
    QCOMPARE(store.QueryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Count"), v), long(ERROR_SUCCESS));
    QCOMPARE(v, (RegValue{REG_DWORD, QByteArray("\x02\0\0\0", 4)}));
    QCOMPARE(store.QueryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("File1"), v), long(ERROR_SUCCESS));
    QCOMPARE(v, (RegValue{REG_SZ, EncodeText(QStringLiteral("/a.avi"))}));
    QCOMPARE(store.QueryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("VControlToolY"), v),
             long(ERROR_SUCCESS));
    QCOMPARE(v, (RegValue{REG_SZ, EncodeText(QStringLiteral("22"))}));
    QCOMPARE(store.QueryValue(HKEY_CURRENT_USER, kKey, QStringLiteral("WorkingDir"), v), long(ERROR_SUCCESS));
    QCOMPARE(v, (RegValue{REG_SZ, EncodeText(QString())}));
}

void TestMRUFileList::missingKeyKeepsDefaults() {
    G().WorkingDir = QStringLiteral("/before");
    G().ToolPos.drawTool = {5, 6};
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(list.Load(r));
    QVERIFY(list.LoadDir(r));
    QVERIFY(list.LoadModelDir(r));
    QVERIFY(list.LoadToolCoor(r));
    QCOMPARE(list.MaxFileCount(), 4);
    QCOMPARE(list.FileCount(), 0);
    QCOMPARE(G().WorkingDir, QStringLiteral("/before"));  // nothing read, nothing changed
    QCOMPARE(G().ToolPos.drawTool, QPoint(5, 6));
    QVERIFY(!QFile::exists(user_));  // loading writes nothing
}

void TestMRUFileList::emptyMaxCountIsRefused() {
    PutNumber(QStringLiteral("Count"), 2);
    PutText(QStringLiteral("File1"), QStringLiteral("/a.avi"));
    PutText(QStringLiteral("WorkingDir"), QStringLiteral("/w"));
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(!list.Load(r));
    QCOMPARE(list.MaxFileCount(), 4);
    QCOMPARE(list.FileCount(), 0);
    // A value missing from an existing key reads as empty.
    G().ModelDir = QStringLiteral("/old");
    QVERIFY(list.LoadModelDir(r));
    QCOMPARE(G().ModelDir, QString());
    QVERIFY(list.LoadDir(r));
    QCOMPARE(G().WorkingDir, QStringLiteral("/w"));
}

void TestMRUFileList::damagedStoreFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << QByteArray(
        R"({"format":"varkelo-registry","version":1,"keys":[{"path":"Software\\varkelo\\video","val)");
    QTest::newRow("garbage") << QByteArray("\x00\x01\xfe\xff garbage \x80\x81", 15);
    QTest::newRow("plain text") << QByteArray("[Software\\varkelo\\video]\nCount=3\n");
}

void TestMRUFileList::damagedStoreFile() {
    QFETCH(QByteArray, content);
    QVERIFY(QDir().mkpath(QFileInfo(user_).absolutePath()));
    QFile f(user_);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(list.Load(r));
    QVERIFY(list.LoadDir(r));
    QVERIFY(list.LoadModelDir(r));
    QVERIFY(list.LoadToolCoor(r));
    QCOMPARE(list.MaxFileCount(), 4);
    QCOMPARE(list.FileCount(), 0);
    QCOMPARE(G().WorkingDir, QString());
    QCOMPARE(G().ToolPos.drawTool, QPoint());
    // Saving over the damaged file gives a store that loads again.
    list.AddFile(QStringLiteral("/new.avi"));
    QVERIFY(list.Save(r));
    cMRUFileList again = FreshList();
    QVERIFY(again.Load(r));
    QCOMPARE(Entries(again), QStringList{"/new.avi"});
}

void TestMRUFileList::oddCounts_data() {
    QTest::addColumn<QVariant>("maxCount");  // int: REG_DWORD, QString: REG_SZ, QByteArray: REG_BINARY
    QTest::addColumn<QVariant>("count");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("fileCount");
    QTest::newRow("count above capacity") << QVariant(4) << QVariant(99) << true << 4 << 4;
    QTest::newRow("huge capacity") << QVariant(1000000) << QVariant(6) << true << 4 << 4;
    QTest::newRow("smaller capacity") << QVariant(2) << QVariant(3) << true << 2 << 2;
    QTest::newRow("negative capacity") << QVariant(-5) << QVariant(3) << false << 4 << 0;
    QTest::newRow("all bits capacity") << QVariant(int(0xFFFFFFFF)) << QVariant(3) << false << 4 << 0;
    QTest::newRow("negative count") << QVariant(4) << QVariant(-3) << true << 4 << 0;
    QTest::newRow("count as text") << QVariant(4) << QVariant(QStringLiteral("2")) << true << 4 << 2;
    QTest::newRow("count not a number") << QVariant(4) << QVariant(QStringLiteral("abc")) << false << 4 << 0;
    QTest::newRow("capacity binary") << QVariant(QByteArray("\x04\0\0\0", 4)) << QVariant(2) << false << 4
                                     << 0;
    QTest::newRow("count binary") << QVariant(4) << QVariant(QByteArray("\x02", 1)) << false << 4 << 0;
    QTest::newRow("capacity text huge")
        << QVariant(QStringLiteral("99999999999")) << QVariant(2) << false << 4 << 0;
}

void TestMRUFileList::oddCounts() {
    QFETCH(QVariant, maxCount);
    QFETCH(QVariant, count);
    QFETCH(bool, result);
    QFETCH(int, capacity);
    QFETCH(int, fileCount);
    const auto put = [](const QString& name, const QVariant& v) {
        if (v.typeId() == QMetaType::Int)
            PutNumber(name, v.toInt());
        else if (v.typeId() == QMetaType::QString)
            PutText(name, v.toString());
        else
            Put(name, REG_BINARY, v.toByteArray());
    };
    put(QStringLiteral("MaxCount"), maxCount);
    put(QStringLiteral("Count"), count);
    for (int i = 1; i <= 7; ++i) PutText(QStringLiteral("File%1").arg(i), QStringLiteral("/f%1.avi").arg(i));

    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QCOMPARE(list.Load(r), result);
    QCOMPARE(list.MaxFileCount(), capacity);
    QCOMPARE(list.FileCount(), fileCount);
    // Every listed entry is readable and captioned; nothing past the capacity exists.
    for (int i = 1; i <= list.FileCount(); ++i) {
        QCOMPARE(list.File(i), QStringLiteral("/f%1.avi").arg(i));
        QVERIFY(list.MenuCaption(i).startsWith(QStringLiteral("&%1)  ").arg(i)));
    }
    QVERIFY(Raises9([&] { list.File(list.MaxFileCount() + 1); }));
    // The list still works after any of these loads.
    list.AddFile(QStringLiteral("/after.avi"));
    QCOMPARE(list.File(1), QStringLiteral("/after.avi"));
    QVERIFY(list.FileCount() <= list.MaxFileCount());
}

void TestMRUFileList::missingAndOddFileValues() {
    PutNumber(QStringLiteral("MaxCount"), 4);
    PutNumber(QStringLiteral("Count"), 4);
    PutText(QStringLiteral("File1"), QStringLiteral("/one.avi"));
    // File2 missing, File3 a number, File4 binary; File7 beyond the capacity.
    PutNumber(QStringLiteral("File3"), 33);
    Put(QStringLiteral("File4"), REG_BINARY, QByteArray("\x01\x02", 2));
    PutText(QStringLiteral("File7"), QStringLiteral("/seven.avi"));
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(!list.Load(r));  // the binary File4 stops the load; what was read stays
    QCOMPARE(list.FileCount(), 4);
    QCOMPARE(list.File(1), QStringLiteral("/one.avi"));
    QVERIFY(!list.FileExists(2));
    QCOMPARE(list.File(3), QStringLiteral("33"));
    QVERIFY(!list.FileExists(4));
    QVERIFY(Raises9([&] { list.File(7); }));
    for (int i = 1; i <= 4; ++i) QVERIFY(list.MenuCaption(i).startsWith(QStringLiteral("&%1)").arg(i)));
}

void TestMRUFileList::oddPositions_data() {
    QTest::addColumn<QVariant>("stored");  // int: REG_DWORD, QString: REG_SZ, QByteArray: REG_BINARY
    QTest::addColumn<int>("position");
    QTest::newRow("text") << QVariant(QStringLiteral("1230")) << 1230;
    QTest::newRow("text with spaces") << QVariant(QStringLiteral(" 45 ")) << 45;
    QTest::newRow("number where text is expected") << QVariant(600) << 600;
    QTest::newRow("negative") << QVariant(QStringLiteral("-200")) << 0;
    QTest::newRow("negative number") << QVariant(-200) << 0;
    QTest::newRow("words") << QVariant(QStringLiteral("left")) << 0;
    QTest::newRow("fraction") << QVariant(QStringLiteral("12.5")) << 0;
    QTest::newRow("beyond 32 bits") << QVariant(QStringLiteral("99999999999")) << 0;
    QTest::newRow("empty text") << QVariant(QString()) << 0;
    QTest::newRow("binary") << QVariant(QByteArray("\x10\x00\x00\x00", 4)) << 0;
}

void TestMRUFileList::oddPositions() {
    QFETCH(QVariant, stored);
    QFETCH(int, position);
    for (const char* name : {"ImageToolX", "DrawToolY", "AdjustToolY"}) {
        if (stored.typeId() == QMetaType::Int)
            PutNumber(QLatin1String(name), stored.toInt());
        else if (stored.typeId() == QMetaType::QString)
            PutText(QLatin1String(name), stored.toString());
        else
            Put(QLatin1String(name), REG_BINARY, stored.toByteArray());
    }
    PutText(QStringLiteral("VControlToolX"), QStringLiteral("77"));
    G().ToolPos.imageTool = {9, 9};
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(list.LoadToolCoor(r));
    QCOMPARE(G().ToolPos.imageTool, QPoint(position, 0));  // a missing Y reads as empty: 0
    QCOMPARE(G().ToolPos.drawTool, QPoint(0, position));
    QCOMPARE(G().ToolPos.adjustTool, QPoint(0, position));
    QCOMPARE(G().ToolPos.videoControls, QPoint(77, 0));  // later positions are still read
}

void TestMRUFileList::oddFolders() {
    PutNumber(QStringLiteral("WorkingDir"), 12);
    Put(QStringLiteral("ModelDir"), REG_BINARY, QByteArray("/x", 2));
    G().ModelDir = QStringLiteral("/kept");
    cMRUFileList list = FreshList();
    cRegistry r = SettingsRegistry();
    QVERIFY(list.LoadDir(r));
    QCOMPARE(G().WorkingDir, QStringLiteral("12"));
    QVERIFY(!list.LoadModelDir(r));  // binary is no folder: refused, old value kept
    QCOMPARE(G().ModelDir, QStringLiteral("/kept"));
    // An expandable folder is expanded.
    qputenv("VARKELO_MRU_TEST", "/srv");
    Put(QStringLiteral("WorkingDir"), REG_EXPAND_SZ, EncodeText(QStringLiteral("%VARKELO_MRU_TEST%/clips")));
    QVERIFY(list.LoadDir(r));
    QCOMPARE(G().WorkingDir, QStringLiteral("/srv/clips"));
    qunsetenv("VARKELO_MRU_TEST");
}

void TestMRUFileList::unwritableLocation() {
    const QString blocker = dir_->filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER,
                                          blocker + QStringLiteral("/varkelo/registry.json"));
    cMRUFileList list = FreshList();
    list.AddFile(QStringLiteral("/a.avi"));
    cRegistry r = SettingsRegistry();
    QVERIFY(!list.Save(r));
    QVERIFY(!list.SaveDir(r));
    QVERIFY(!list.SaveModelDir(r));
    QVERIFY(!list.SaveToolCoor(r));
    // Loading from there finds nothing and keeps the defaults.
    cMRUFileList loaded = FreshList();
    QVERIFY(loaded.Load(r));
    QCOMPARE(loaded.FileCount(), 0);
}

void TestMRUFileList::failedSaveKeepsPreviousFile() {
    cMRUFileList list = FreshList();
    list.AddFile(QStringLiteral("/first.avi"));
    cRegistry r = SettingsRegistry();
    QVERIFY(list.Save(r));
    const QByteArray before = ReadAll(user_);
    QVERIFY(!before.isEmpty());

    // The disk "fills up" while saving a much longer list.
    for (int i = 0; i < 3; ++i) list.AddFile(QStringLiteral("/") + QString(2000, QChar(u'a' + i)));
    bool saved = true;
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = static_cast<rlim_t>(before.size() + 100);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        saved = list.Save(r);
        setrlimit(RLIMIT_FSIZE, &old);
    }
    QVERIFY(!saved);
    // Each value is written on its own, so the save stops part way (here: at the first
    // long path), but the file holds every value written before and still loads.
    cMRUFileList loaded = FreshList();
    QVERIFY(loaded.Load(r));
    QVERIFY(loaded.FileCount() >= 1 && loaded.FileCount() <= 4);
    QCOMPARE(loaded.File(1), QStringLiteral("/first.avi"));
    for (int i = 2; i <= loaded.FileCount(); ++i)
        QVERIFY(loaded.File(i).isEmpty() || loaded.File(i).size() == 2001);
    const QStringList files = QDir(QFileInfo(user_).absolutePath()).entryList(QDir::Files);
    QCOMPARE(files, QStringList{QStringLiteral("registry.json")});
}

QTEST_GUILESS_MAIN(TestMRUFileList)
#include "tst_mrufilelist.moc"
