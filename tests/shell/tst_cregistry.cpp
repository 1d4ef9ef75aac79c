// cRegistry over the file-backed store: the type rules of reads and writes, the
// expansion of environment references, enumeration, and the exact errors of the key
// and value operations.

#include "platform/RegistryStore.h"
#include "platform/RuntimeError.h"
#include "shell/cRegistry.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\varkelo\\test");

// Runs f, which must raise; returns the error.
template <typename F>
RuntimeError Raised(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0, QStringLiteral("nothing raised"), QStringLiteral("nothing raised"));
}

RegValue Stored(std::uint32_t root, const QString& key, const QString& name) {
    RegValue v;
    v.type = 0xFFFFu;  // marks "not found"
    RegistryStore::Instance().QueryValue(root, key, name, v);
    return v;
}

}  // namespace

class TestCRegistry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { RegistryStore::Instance().ResetFilePaths(); }

    void keyExists();
    void missingValueGivesDefaultAndKeepsType();
    void textRoundTripSetsType();
    void percentPairChoosesExpandableText_data();
    void percentPairChoosesExpandableText();
    void expandableTextIsExpandedOnRead();
    void expansionRules_data();
    void expansionRules();
    void numbersAndTheirTypes();
    void textWithNumberTypeWritesNothing();
    void bigEndianReadsMostSignificantFirst();
    void binaryWriteAndRead();
    void binaryWriteNeedsByteArray();
    void otherTypesReadAsBytes();
    void multiStringKeepsSeparators();
    void createKeyErrors();
    void deleteKeyErrors();
    void deleteValueErrors();
    void writeErrors();
    void enumerateValues();
    void enumerateSections();
    void exeAssociation();

private:
    cRegistry userRegistry() {
        cRegistry r;
        r.SetClassKey(HKEY_CURRENT_USER);
        r.SetSectionKey(kKey);
        return r;
    }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestCRegistry::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    auto& store = RegistryStore::Instance();
    store.SetFilePath(HKEY_CURRENT_USER, dir_->filePath(QStringLiteral("cfg/registry.json")));
    store.SetFilePath(HKEY_CLASSES_ROOT, dir_->filePath(QStringLiteral("cfg/classes.json")));
    store.SetFilePath(HKEY_LOCAL_MACHINE, dir_->filePath(QStringLiteral("etc/registry.json")));
}

void TestCRegistry::keyExists() {
    cRegistry r = userRegistry();
    QVERIFY(!r.KeyExists());
    QVERIFY(r.CreateKey());
    QVERIFY(r.KeyExists());
    r.SetSectionKey(QStringLiteral("SOFTWARE\\VARKELO"));
    QVERIFY(r.KeyExists());
    // The value selected plays no part.
    r.SetValueKey(QStringLiteral("no such value"));
    QVERIFY(r.KeyExists());
    cRegistry blank;
    QVERIFY(!blank.KeyExists());  // root 0 is no root
}

void TestCRegistry::missingValueGivesDefaultAndKeepsType() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("Missing"));
    r.SetValueType(REG_DWORD);
    QVERIFY(!r.Value().isValid());  // Default starts empty
    QCOMPARE(r.ValueType(), std::uint32_t(REG_DWORD));
    r.SetDefault(QStringLiteral("fallback"));
    QCOMPARE(r.Value(), QVariant(QStringLiteral("fallback")));
    QVERIFY(r.CreateKey());
    QCOMPARE(r.Value(), QVariant(QStringLiteral("fallback")));
    QCOMPARE(r.ValueType(), std::uint32_t(REG_DWORD));
}

void TestCRegistry::textRoundTripSetsType() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("WorkingDir"));
    r.SetValueType(REG_SZ);
    const QString path = QStringLiteral("/home/jöran/Клипы");
    r.SetValue(path);
    QCOMPARE(r.LastValue(), QVariant(path));
    const RegValue stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("WorkingDir"));
    QCOMPARE(stored.type, std::uint32_t(REG_SZ));
    QCOMPARE(stored.data, path.toUtf8() + QByteArray(1, '\0'));  // 8-bit text and its terminator

    cRegistry fresh = userRegistry();
    fresh.SetValueKey(QStringLiteral("workingdir"));
    fresh.SetValueType(REG_DWORD);
    QCOMPARE(fresh.Value(), QVariant(path));
    QCOMPARE(fresh.ValueType(), std::uint32_t(REG_SZ));

    // A number written as text is its decimal text; an empty value is an empty text.
    r.SetValueKey(QStringLiteral("DrawToolX"));
    r.SetValue(-1230);
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("DrawToolX")).data, QByteArray("-1230\0", 6));
    r.SetValue(QVariant());
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("DrawToolX")).data, QByteArray(1, '\0'));
    r.SetValue(true);
    QCOMPARE(r.Value(), QVariant(QStringLiteral("True")));
}

void TestCRegistry::percentPairChoosesExpandableText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::uint32_t>("writeType");
    QTest::addColumn<std::uint32_t>("storedType");
    QTest::newRow("trailing percent") << "100%" << std::uint32_t(REG_SZ) << std::uint32_t(REG_SZ);
    QTest::newRow("enclosed name") << "%HOME%/clips" << std::uint32_t(REG_SZ) << std::uint32_t(REG_EXPAND_SZ);
    QTest::newRow("adjacent pair") << "%%" << std::uint32_t(REG_SZ) << std::uint32_t(REG_SZ);
    QTest::newRow("pair later") << "a%b%c" << std::uint32_t(REG_SZ) << std::uint32_t(REG_EXPAND_SZ);
    QTest::newRow("second pair encloses") << "%%x%" << std::uint32_t(REG_SZ) << std::uint32_t(REG_EXPAND_SZ);
    QTest::newRow("no percent as expand") << "plain" << std::uint32_t(REG_EXPAND_SZ) << std::uint32_t(REG_SZ);
    QTest::newRow("association command")
        << "/usr/bin/varkelo \"%1\"" << std::uint32_t(REG_SZ) << std::uint32_t(REG_SZ);
}

void TestCRegistry::percentPairChoosesExpandableText() {
    QFETCH(QString, text);
    QFETCH(std::uint32_t, writeType);
    QFETCH(std::uint32_t, storedType);
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("v"));
    r.SetValueType(writeType);
    r.SetValue(text);
    const RegValue stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("v"));
    QCOMPARE(stored.type, storedType);
    QCOMPARE(DecodeText(stored.data), text);  // stored as written, never expanded
}

void TestCRegistry::expandableTextIsExpandedOnRead() {
    qputenv("VARKELO_TEST_CLIPS", "/srv/golf");
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("ModelDir"));
    r.SetValueType(REG_SZ);
    r.SetValue(QStringLiteral("%VARKELO_TEST_CLIPS%/models"));
    r.SetValueType(REG_SZ);
    QCOMPARE(r.Value(), QVariant(QStringLiteral("/srv/golf/models")));
    QCOMPARE(r.ValueType(), std::uint32_t(REG_EXPAND_SZ));

    if (qEnvironmentVariableIsSet("HOME")) {
        r.SetValue(QStringLiteral("%HOME%/clips"));
        QCOMPARE(r.Value(), QVariant(qEnvironmentVariable("HOME") + QStringLiteral("/clips")));
    }
    qunsetenv("VARKELO_TEST_CLIPS");
}

void TestCRegistry::expansionRules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("plain") << "Long long value"
                           << "Long long value";
    QTest::newRow("one") << "%TVAR% long long"
                         << "WINE long long";
    QTest::newRow("adjacent") << "%TVAR%%TVAR% long"
                              << "WINEWINE long";
    QTest::newRow("spaced") << "%TVAR% %TVAR% long"
                            << "WINE WINE long";
    QTest::newRow("unknown stays") << "%TVAR_UNSET_X% long"
                                   << "%TVAR_UNSET_X% long";
    QTest::newRow("unknown then known") << "%TVAR_UNSET_X%%TVAR%"
                                        << "%TVAR_UNSET_X%WINE";
    QTest::newRow("unclosed") << "%TVAR long long"
                              << "%TVAR long long";
    QTest::newRow("trailing") << "100%"
                              << "100%";
    QTest::newRow("empty name") << "%%"
                                << "%%";
    QTest::newRow("empty value") << "a%TVAR_EMPTY%b"
                                 << "ab";
    QTest::newRow("not expanded twice") << "-%TVAR_INDIRECT%-"
                                        << "-Foo%TVAR%Bar-";
    QTest::newRow("case matters here") << "%tvar%"
                                       << "%tvar%";
}

void TestCRegistry::expansionRules() {
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    qputenv("TVAR", "WINE");
    qputenv("TVAR_EMPTY", "");
    qputenv("TVAR_INDIRECT", "Foo%TVAR%Bar");
    qunsetenv("TVAR_UNSET_X");
    qunsetenv("tvar");
    QCOMPARE(ExpandEnvironmentStrings(text), expanded);
    qunsetenv("TVAR");
    qunsetenv("TVAR_EMPTY");
    qunsetenv("TVAR_INDIRECT");
}

void TestCRegistry::numbersAndTheirTypes() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("Count"));
    r.SetValueType(REG_DWORD);
    r.SetValue(1230);
    RegValue stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("Count"));
    QCOMPARE(stored.type, std::uint32_t(REG_DWORD));
    QCOMPARE(stored.data, QByteArray("\xce\x04\x00\x00", 4));
    QCOMPARE(r.Value(), QVariant(1230));
    QCOMPARE(r.Value().typeId(), int(QMetaType::Int));

    r.SetValue(-1);
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("Count")).data, QByteArray(4, '\xff'));
    QCOMPARE(r.Value(), QVariant(-1));
    r.SetValue(QVariant::fromValue(short(7)));
    QCOMPARE(r.Value(), QVariant(7));
    r.SetValue(0xFFFFFFFEu);
    QCOMPARE(r.Value(), QVariant(-2));
    r.SetValue(QVariant::fromValue(qint64(40000)));  // a wide integer that fits 32 bits
    QCOMPARE(r.Value(), QVariant(40000));

    // Type 5 also writes a little-endian REG_DWORD.
    r.SetValueType(REG_DWORD_BIG_ENDIAN);
    r.SetValue(0x01020304);
    stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("Count"));
    QCOMPARE(stored.type, std::uint32_t(REG_DWORD));
    QCOMPARE(stored.data, QByteArray("\x04\x03\x02\x01", 4));

    // Values that are no 32-bit integers write nothing.
    r.SetValueType(REG_DWORD);
    for (const QVariant& v : {QVariant(1.5), QVariant::fromValue(qint64(5000000000LL)),
                              QVariant(QByteArray("ab")), QVariant(true), QVariant()}) {
        r.SetValue(v);
        QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("Count")).data,
                 QByteArray("\x04\x03\x02\x01", 4));
        QCOMPARE(r.LastValue(), v);
    }
}

void TestCRegistry::textWithNumberTypeWritesNothing() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("MaxCount"));
    r.SetValueType(REG_DWORD);
    r.SetValue(QStringLiteral("4"));
    QVERIFY(r.KeyExists());  // the key is still created
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("MaxCount")).type, 0xFFFFu);
    QCOMPARE(r.LastValue(), QVariant(QStringLiteral("4")));
    // Types without a write rule write nothing either.
    r.SetValueType(REG_MULTI_SZ);
    r.SetValue(QStringLiteral("a"));
    r.SetValueType(0);
    r.SetValue(QStringLiteral("a"));
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("MaxCount")).type, 0xFFFFu);
}

void TestCRegistry::bigEndianReadsMostSignificantFirst() {
    auto& store = RegistryStore::Instance();
    QCOMPARE(store.CreateKey(HKEY_CURRENT_USER, kKey), long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("be"),
                            {REG_DWORD_BIG_ENDIAN, QByteArray("\x01\x02\x03\x04", 4)}),
             long(ERROR_SUCCESS));
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("be"));
    QCOMPARE(r.Value(), QVariant(0x01020304));
    QCOMPARE(r.ValueType(), std::uint32_t(REG_DWORD_BIG_ENDIAN));

    // Damaged numbers of the wrong size read from the bytes there are, never beyond.
    QCOMPARE(
        store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("short"), {REG_DWORD, QByteArray("\x05", 1)}),
        long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("long"),
                            {REG_DWORD, QByteArray("\x06\0\0\0\x09\x09", 6)}),
             long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("empty"), {REG_DWORD_BIG_ENDIAN, {}}),
             long(ERROR_SUCCESS));
    r.SetValueKey(QStringLiteral("short"));
    QCOMPARE(r.Value(), QVariant(5));
    r.SetValueKey(QStringLiteral("long"));
    QCOMPARE(r.Value(), QVariant(6));
    r.SetValueKey(QStringLiteral("empty"));
    QCOMPARE(r.Value(), QVariant(0));
}

void TestCRegistry::binaryWriteAndRead() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("bin"));
    r.SetValueType(REG_BINARY);
    r.SetValue(QByteArray("ABCDE"));  // indices 0..4: UBound - LBound - 1 = 3 bytes
    RegValue stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("bin"));
    QCOMPARE(stored.type, std::uint32_t(REG_BINARY));
    QCOMPARE(stored.data, QByteArray("ABC"));
    r.SetValueType(REG_SZ);
    const QVariant back = r.Value();
    QCOMPARE(back.typeId(), int(QMetaType::QByteArray));
    QCOMPARE(back.toByteArray(), QByteArray("ABC\0", 4));  // indexed 0 to size, last one 0
    QCOMPARE(r.ValueType(), std::uint32_t(REG_BINARY));

    r.SetValueType(REG_BINARY);
    for (const QByteArray& tiny : {QByteArray(), QByteArray("A"), QByteArray("AB")}) {
        r.SetValue(tiny);
        stored = Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("bin"));
        QCOMPARE(stored.type, std::uint32_t(REG_BINARY));
        QVERIFY(stored.data.isEmpty());
        QCOMPARE(r.Value().toByteArray(), QByteArray(1, '\0'));
    }
}

void TestCRegistry::binaryWriteNeedsByteArray() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("bin"));
    r.SetValueType(REG_BINARY);
    const RuntimeError e = Raised([&] { r.SetValue(QStringLiteral("ABCDE")); });
    QCOMPARE(e.Number(), 26001L);
    QCOMPARE(e.Source(), QStringLiteral("varkelo.cRegistry"));
    QCOMPARE(e.Description(), QString());
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("bin")).type, 0xFFFFu);
    QVERIFY(!r.LastValue().isValid());
}

void TestCRegistry::otherTypesReadAsBytes() {
    auto& store = RegistryStore::Instance();
    QCOMPARE(store.CreateKey(HKEY_CURRENT_USER, kKey), long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("link"),
                            {REG_LINK, QByteArray("\x01\x02", 2)}),
             long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("odd"), {99, QByteArray("z")}),
             long(ERROR_SUCCESS));
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("link"));
    QCOMPARE(r.Value(), QVariant(QByteArray("\x01\x02\x00", 3)));
    QCOMPARE(r.ValueType(), std::uint32_t(REG_LINK));
    r.SetValueKey(QStringLiteral("odd"));
    QCOMPARE(r.Value(), QVariant(QByteArray("z\0", 2)));
    QCOMPARE(r.ValueType(), 99u);
}

void TestCRegistry::multiStringKeepsSeparators() {
    auto& store = RegistryStore::Instance();
    QCOMPARE(store.CreateKey(HKEY_CURRENT_USER, kKey), long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("multi"),
                            {REG_MULTI_SZ, QByteArray("a\0bc\0\0", 6)}),
             long(ERROR_SUCCESS));
    QCOMPARE(store.SetValue(HKEY_CURRENT_USER, kKey, QStringLiteral("emptysz"), {REG_SZ, QByteArray()}),
             long(ERROR_SUCCESS));
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("multi"));
    QCOMPARE(r.Value(), QVariant(QString::fromUtf8("a\0bc\0", 5)));
    QCOMPARE(r.ValueType(), std::uint32_t(REG_MULTI_SZ));
    r.SetValueKey(QStringLiteral("emptysz"));  // no terminator at all: an empty text, no underrun
    QCOMPARE(r.Value(), QVariant(QString()));
}

void TestCRegistry::createKeyErrors() {
    cRegistry r;
    r.SetClassKey(HKEY_LOCAL_MACHINE);
    r.SetSectionKey(QStringLiteral("Software\\X"));
    RuntimeError e = Raised([&] { r.CreateKey(); });
    QCOMPARE(e.Number(), 26001L);
    QCOMPARE(e.Source(), QStringLiteral("varkelo.cRegistry"));
    QCOMPARE(e.Description(), QStringLiteral("Failed to create registry Key: 'Software\\X"));

    // A user store whose folder cannot be made.
    QFile blocker(dir_->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER,
                                          blocker.fileName() + QStringLiteral("/registry.json"));
    r.SetClassKey(HKEY_CURRENT_USER);
    e = Raised([&] { r.CreateKey(); });
    QCOMPARE(e.Description(), QStringLiteral("Failed to create registry Key: 'Software\\X"));
}

void TestCRegistry::deleteKeyErrors() {
    cRegistry r = userRegistry();
    r.SetSectionKey(QStringLiteral("Software\\A\\B"));
    QVERIFY(r.CreateKey());
    r.SetSectionKey(QStringLiteral("Software\\A"));
    RuntimeError e = Raised([&] { r.DeleteKey(); });
    QCOMPARE(e.Number(), 26001L);
    QCOMPARE(e.Description(),
             QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\A"));
    r.SetSectionKey(QStringLiteral("Software\\A\\B"));
    QVERIFY(r.DeleteKey());
    QVERIFY(!r.KeyExists());
    e = Raised([&] { r.DeleteKey(); });
    QCOMPARE(e.Description(),
             QStringLiteral("Failed to delete registry Key: '-2147483647',Section: 'Software\\A\\B"));

    r.SetClassKey(HKEY_LOCAL_MACHINE);
    r.SetSectionKey(QStringLiteral("Software"));
    e = Raised([&] { r.DeleteKey(); });
    QCOMPARE(e.Description(),
             QStringLiteral("Failed to delete registry Key: '-2147483646',Section: 'Software"));
}

void TestCRegistry::deleteValueErrors() {
    cRegistry r = userRegistry();
    r.SetValueKey(QStringLiteral("v"));
    RuntimeError e = Raised([&] { r.DeleteValue(); });
    QCOMPARE(e.Number(), 26001L);
    QCOMPARE(e.Description(),
             QStringLiteral(
                 "Failed to open key '-2147483647',Section: 'Software\\varkelo\\test' for delete access"));

    r.SetValueType(REG_SZ);
    r.SetValue(QStringLiteral("x"));
    QVERIFY(r.DeleteValue());
    QCOMPARE(Stored(HKEY_CURRENT_USER, kKey, QStringLiteral("v")).type, 0xFFFFu);
    e = Raised([&] { r.DeleteValue(); });
    QCOMPARE(e.Description(), QStringLiteral("Failed to delete registry Key: '-2147483647',Section: "
                                             "'Software\\varkelo\\test',Key: 'v"));

    // The machine-wide store can be read but never opened for changes.
    const QString machine = RegistryStore::Instance().FilePath(HKEY_LOCAL_MACHINE);
    QVERIFY(QDir().mkpath(QFileInfo(machine).absolutePath()));
    QVERIFY(QFile::copy(RegistryStore::Instance().FilePath(HKEY_CURRENT_USER), machine));
    r.SetClassKey(HKEY_LOCAL_MACHINE);
    QVERIFY(r.KeyExists());
    e = Raised([&] { r.DeleteValue(); });
    QCOMPARE(e.Description(),
             QStringLiteral(
                 "Failed to open key '-2147483646',Section: 'Software\\varkelo\\test' for delete access"));
}

void TestCRegistry::writeErrors() {
    cRegistry r;
    r.SetClassKey(HKEY_LOCAL_MACHINE);
    r.SetSectionKey(QStringLiteral("Software\\X"));
    r.SetValueKey(QStringLiteral("Name"));
    r.SetValueType(REG_SZ);
    RuntimeError e = Raised([&] { r.SetValue(QStringLiteral("abc")); });
    QCOMPARE(e.Number(), 26001L);
    QCOMPARE(e.Source(), QStringLiteral("varkelo.cRegistry"));
    QCOMPARE(e.Description(), QStringLiteral("Failed to set registry value Key: '-2147483646',Section: "
                                             "'Software\\X',Key: 'Name' to value: 'abc'"));

    // The key opens but the store refuses the value itself: reported, not passed off as done.
    cRegistry u = userRegistry();
    u.SetValueKey(QString(20000, QLatin1Char('n')));
    u.SetValueType(REG_DWORD);
    e = Raised([&] { u.SetValue(5); });
    QCOMPARE(e.Number(), cRegistry::kErrSetValueFailed);
    QCOMPARE(static_cast<std::uint32_t>(e.Number()), 0x800469A9u);
    QVERIFY(
        e.Description().startsWith(QStringLiteral("Failed to set registry value Key: '-2147483647',Section: "
                                                  "'Software\\varkelo\\test',Key: 'nnn")));
    QVERIFY(e.Description().endsWith(QStringLiteral("' to value: '5'")));
    QCOMPARE(u.LastValue(), QVariant(5));
}

void TestCRegistry::enumerateValues() {
    cRegistry r = userRegistry();
    QStringList names{QStringLiteral("stale")};
    int count = 7;
    QVERIFY(r.EnumerateValues(names, count));  // missing key: nothing listed, still true
    QCOMPARE(count, 0);
    QVERIFY(names.isEmpty());

    r.SetValueType(REG_SZ);
    for (const char* name : {"MaxCount", "Count", "File1", ""}) {
        r.SetValueKey(QLatin1String(name));
        r.SetValue(QStringLiteral("x"));
    }
    QVERIFY(r.EnumerateValues(names, count));
    QCOMPARE(count, 4);
    QCOMPARE(names, (QStringList{QStringLiteral("MaxCount"), QStringLiteral("Count"), QStringLiteral("File1"),
                                 QString()}));
}

void TestCRegistry::enumerateSections() {
    cRegistry r = userRegistry();
    QStringList names{QStringLiteral("stale")};
    int count = 3;
    QVERIFY(r.EnumerateSections(names, count));
    QCOMPARE(count, 0);
    QVERIFY(names.isEmpty());
    for (const char* sub : {"video", "Audio", "b"}) {
        r.SetSectionKey(kKey + QLatin1Char('\\') + QLatin1String(sub));
        QVERIFY(r.CreateKey());
    }
    r.SetSectionKey(kKey);
    QVERIFY(r.EnumerateSections(names, count));
    QCOMPARE(count, 3);
    QCOMPARE(names, (QStringList{QStringLiteral("Audio"), QStringLiteral("b"), QStringLiteral("video")}));
}

void TestCRegistry::exeAssociation() {
    const QString userFile = RegistryStore::Instance().FilePath(HKEY_CURRENT_USER);
    cRegistry r;
    r.SetValueType(REG_SZ);
    r.CreateEXEAssociation(QStringLiteral("/opt/varkelo/varkelo"), QStringLiteral("Varkelo.Clip"),
                           QStringLiteral("Golf swing clip"), QStringLiteral("vsw"), 2);
    QCOMPARE(r.ClassKey(), HKEY_CLASSES_ROOT);
    const auto text = [](const QString& key) {
        return DecodeText(Stored(HKEY_CLASSES_ROOT, key, QString()).data);
    };
    QCOMPARE(text(QStringLiteral(".vsw")), QStringLiteral("Varkelo.Clip"));
    QCOMPARE(text(QStringLiteral(".vsw\\shell\\open\\command")),
             QStringLiteral("/opt/varkelo/varkelo \"%1\""));
    QCOMPARE(text(QStringLiteral("Varkelo.Clip")), QStringLiteral("Golf swing clip"));
    QCOMPARE(text(QStringLiteral("Varkelo.Clip\\shell\\open\\command")),
             QStringLiteral("/opt/varkelo/varkelo \"%1\""));
    QCOMPARE(text(QStringLiteral("Varkelo.Clip\\DefaultIcon")), QStringLiteral("/opt/varkelo/varkelo,2"));
    QCOMPARE(Stored(HKEY_CLASSES_ROOT, QStringLiteral(".vsw\\shell\\open\\command"), QString()).type,
             std::uint32_t(REG_SZ));
    QVERIFY(!QFile::exists(userFile));  // nothing reaches the user's settings

    cRegistry noIcon;
    noIcon.SetValueType(REG_SZ);
    noIcon.CreateEXEAssociation(QStringLiteral("/bin/v"), QStringLiteral("V.Other"), QStringLiteral("d"),
                                QStringLiteral("vo"));
    QCOMPARE(text(QStringLiteral("V.Other")), QStringLiteral("d"));
    QCOMPARE(RegistryStore::Instance().OpenKey(HKEY_CLASSES_ROOT, QStringLiteral("V.Other\\DefaultIcon")),
             long(ERROR_FILE_NOT_FOUND));
}

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
