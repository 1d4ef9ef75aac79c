// The file-backed registry store: types and raw bytes survive, names compare without
// case, the machine-wide root is read-only, and no damaged or unwritable file can crash
// it, hang it or leave a half-written store behind.

#include "SettingsStoreFixture.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

using namespace platform;

namespace {

constexpr long kOk = ERROR_SUCCESS;
constexpr long kNotFound = ERROR_FILE_NOT_FOUND;
constexpr long kDenied = ERROR_ACCESS_DENIED;
constexpr long kInvalid = ERROR_INVALID_PARAMETER;
constexpr std::uint32_t kUser = HKEY_CURRENT_USER;
constexpr std::uint32_t kMachine = HKEY_LOCAL_MACHINE;

RegistryStore& Store() {
    return RegistryStore::Instance();
}
long Create(const QString& key, std::uint32_t root = kUser) {
    return Store().CreateKey(root, key);
}
long Open(const QString& key, std::uint32_t root = kUser) {
    return Store().OpenKey(root, key);
}
long Set(const QString& key, const QString& name, const RegValue& v, std::uint32_t root = kUser) {
    return Store().SetValue(root, key, name, v);
}
RegValue Text(const QString& text) {
    return {REG_SZ, EncodeText(text)};
}
// The value's bytes, or a marker that names the failure.
QByteArray Query(const QString& key, const QString& name, std::uint32_t root = kUser) {
    RegValue v;
    const long status = Store().QueryValue(root, key, name, v);
    return status == kOk ? v.data : "<status " + QByteArray::number(status) + ">";
}
// Both lists start filled, so that a list left over from before shows.
QStringList Names(const QString& key) {
    QStringList names{QStringLiteral("stale")};
    const long status = Store().EnumValueNames(kUser, key, names);
    return status == kOk ? names : names << QStringLiteral("<status %1>").arg(status);
}
QStringList SubKeys(const QString& key) {
    QStringList names{QStringLiteral("stale")};
    const long status = Store().EnumSubKeys(kUser, key, names);
    return status == kOk ? names : names << QStringLiteral("<status %1>").arg(status);
}

}  // namespace

class TestRegistryStore : public QObject {
    Q_OBJECT
    SettingsStoreFixture fx_;

private Q_SLOTS:
    void init() { fx_.SetUp(); }
    void cleanup() { fx_.TearDown(); }

    void everyTypeKeepsItsBytes() {
        const QString path = QStringLiteral("/home/jöran/Клипы/swing.avi");
        QCOMPARE(EncodeText(path), path.toUtf8() + QByteArray(1, '\0'));
        QCOMPARE(DecodeText(EncodeText(path)), path);
        // Only one terminator is dropped; data without one loses nothing.
        QCOMPARE(DecodeText(QByteArray("a\0b\0\0", 5)), QString::fromUtf8("a\0b\0", 4));
        QCOMPARE(DecodeText("abc"), QStringLiteral("abc"));

        const QString key = QStringLiteral("Software\\Test");
        QCOMPARE(Create(key), kOk);
        const std::vector<std::pair<QString, RegValue>> values{
            {"sz", Text("/home/me/Grüße")},
            {"dword", {REG_DWORD, QByteArray("\xd2\x04\x00\x00", 4)}},
            {"multi", {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)}},
            {"odd type", {42, QByteArray("\x7f", 1)}},
            // Text types with bytes that are not plain text must survive exactly too.
            {"sz without NUL", {REG_SZ, "raw"}},
            {"sz bad utf8", {REG_SZ, QByteArray("\xc3\x28\0", 3)}},
        };
        for (const auto& [name, v] : values) QCOMPARE(Set(key, name, v), kOk);
        for (const auto& [name, v] : values) {
            RegValue back{0xFFFFu, {}};  // a type no value here has
            Store().QueryValue(kUser, key, name, back);
            QCOMPARE(back, v);
        }
        QCOMPARE(Query(key, "nope"), QByteArray("<status 2>"));
        QCOMPARE(Query("Software\\Nope", "sz"), QByteArray("<status 2>"));
        QCOMPARE(Set("No\\Key", "v", Text("x")), kNotFound);  // values need an existing key

        // The file is JSON a person can check by eye: text as text, types by name.
        const QByteArray bytes = ReadAll(fx_.user);
        const QJsonObject top = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(top.value("format").toString(), QStringLiteral("varkelo-registry"));
        for (const char* part : {"\"/home/me/Grüße\"", "\"REG_DWORD\"", "\"d2040000\"", "Software\\\\Test"})
            QVERIFY2(bytes.contains(part), part);
    }

    void keysAndNames() {
        QCOMPARE(Open("A"), kNotFound);
        // Parents are made on the way; another case makes no second key.
        for (const char* key : {"A\\b\\C", "A\\a2", "A\\Zed", "a\\B"}) QCOMPARE(Create(key), kOk);
        QCOMPARE(Open("\\a\\\\b\\"), kOk);  // empty path parts are ignored
        QCOMPARE(SubKeys("A"), (QStringList{"a2", "b", "Zed"}));
        QCOMPARE(SubKeys("Missing"), (QStringList{"<status 2>"}));

        const QString key = QStringLiteral("A\\b");
        for (const char* name : {"x", "Longest name", "mid"}) QCOMPARE(Set(key, name, Text(name)), kOk);
        QCOMPARE(Set(key, "LONGEST NAME", {REG_DWORD, QByteArray(4, '\2')}), kOk);
        QCOMPARE(Query(key, "longest name"), QByteArray(4, '\2'));
        // The empty name is the key's default value, distinct from every named value.
        QCOMPARE(Set(key, QString(), Text("def")), kOk);
        QCOMPARE(DecodeText(Query(key, QString())), QStringLiteral("def"));
        QCOMPARE(Names(key), (QStringList{"x", "Longest name", "mid", QString()}));  // first spelling kept
        QCOMPARE(Names("Missing"), (QStringList{"<status 2>"}));

        // Several values in one write: the key is made on the way, a name already there is
        // replaced where it is, and one name beyond the limits stores none of them.
        const QString batch = QStringLiteral("New\\Key");
        QCOMPARE(Store().SetValues(kUser, batch, {{"one", Text("1")}, {"two", Text("2")}}), kOk);
        QCOMPARE(Store().SetValues(kUser, batch, {{"three", Text("3")}, {"ONE", Text("i")}}), kOk);
        QCOMPARE(Names(batch), (QStringList{"one", "two", "three"}));
        QCOMPARE(Query(batch, "one"), EncodeText("i"));
        QCOMPARE(Store().SetValues(kUser, batch, {{"four", Text("4")}, {QString(16384, 'v'), Text("x")}}),
                 kInvalid);
        QCOMPARE(Query(batch, "four"), QByteArray("<status 2>"));
        QCOMPARE(Store().SetValues(kMachine, batch, {{"one", Text("1")}}), kDenied);
    }

    void roots() {
        // A machine-wide store, written as a user store, then read as HKLM: never changed.
        const QString key = QStringLiteral("SOFTWARE\\Tools");
        QCOMPARE(Create(key + "\\Sub"), kOk);
        QCOMPARE(Set(key, "PATH", Text("/usr/bin/x")), kOk);
        QVERIFY(QDir().mkpath(QFileInfo(fx_.machine).absolutePath()));
        QVERIFY(QFile::copy(fx_.user, fx_.machine));
        const QByteArray before = ReadAll(fx_.machine);
        QCOMPARE(DecodeText(Query(key, "path", kMachine)), QStringLiteral("/usr/bin/x"));
        QCOMPARE(Open(key, kMachine), kOk);
        QVERIFY(Create(key, kMachine) == kDenied && Create("New", kMachine) == kDenied);
        QCOMPARE(Set(key, "PATH", Text("y"), kMachine), kDenied);
        QCOMPARE(ReadAll(fx_.machine), before);

        // Each root is its own file.
        QVERIFY(QFile::remove(fx_.user));
        QCOMPARE(Create(".avi", HKEY_CLASSES_ROOT), kOk);
        QVERIFY(QFile::exists(fx_.classes) && !QFile::exists(fx_.user));
        QVERIFY(Open(".avi") == kNotFound && Open(".avi", kMachine) == kNotFound);

        for (const std::uint32_t root : {0u, HKEY_USERS, 0x80000005u}) {
            QCOMPARE(Open(QString(), root), long(ERROR_INVALID_HANDLE));
            QCOMPARE(Create("X", root), long(ERROR_INVALID_HANDLE));
            QVERIFY(Store().FilePath(root).isEmpty());
        }

        // Default locations follow the config folder; an override wins until taken back.
        Store().ResetFilePaths();
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(Store().FilePath(kUser), config + "/varkelo/registry.json");
        QCOMPARE(Store().FilePath(HKEY_CLASSES_ROOT), config + "/varkelo/classes.json");
        QVERIFY(Store().FilePath(kMachine) != Store().FilePath(kUser));
    }

    void damagedFileReadsAsEmpty_data() {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good =
            R"({"format":"varkelo-registry","version":1,"keys":[{"path":"Software","values":[{"name":"a","type":"REG_SZ","text":"x"}]}]})";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18);
        QTest::newRow("json array") << QByteArray("[1,2,3]");
        QTest::newRow("other json object") << QByteArray(R"({"keys":[{"path":"Software","values":[]}]})");
        QTest::newRow("keys not a list")
            << QByteArray(R"({"format":"varkelo-registry","keys":{"path":"S"}})");
        QTest::newRow("deep nesting") << QByteArray(100000, '[');
    }
    void damagedFileReadsAsEmpty() {
        QFETCH(QByteArray, content);
        WriteAll(fx_.user, content);
        QCOMPARE(Open("Software"), kNotFound);
        QCOMPARE(SubKeys(QString()), QStringList());
        // The next change replaces the damaged file with a good store; the damaged one is
        // kept beside it (unless it held nothing).
        QCOMPARE(Create("Software\\New"), kOk);
        QCOMPARE(Open("software\\new"), kOk);
        QCOMPARE(ReadAll(fx_.user + ".bad"), content);
        QCOMPARE(QFile::exists(fx_.user + ".bad"), !content.isEmpty());
    }

    void malformedEntriesAreSkipped() {
        WriteAll(fx_.user, R"({"format":"varkelo-registry","version":7,"keys":[
            5, {"nopath":1}, {"path":3},
            {"path":"Good","values":[
                {"name":"ok","type":"REG_DWORD","hex":"2a000000"},
                {"name":"odd hex","type":"REG_BINARY","hex":"abc"},
                {"name":"bad hex","type":"REG_BINARY","hex":"zz"},
                {"name":"no data","type":"REG_SZ"},
                {"name":"bad type","type":"REG_NOPE","text":"x"},
                {"name":"neg type","type":-1,"text":"x"},
                {"name":"frac type","type":1.5,"text":"x"},
                {"name":9,"type":"REG_SZ","text":"x"},
                "junk",
                {"name":"num type","type":42,"hex":""}
            ]}]})");
        RegValue v;
        QCOMPARE(Store().QueryValue(kUser, "Good", "ok", v), kOk);
        QCOMPARE(v, (RegValue{REG_DWORD, QByteArray("\x2a\0\0\0", 4)}));
        QCOMPARE(Names("Good"), (QStringList{"ok", "num type"}));
        QCOMPARE(Store().QueryValue(kUser, "Good", "num type", v), kOk);
        QCOMPARE(v, (RegValue{42, QByteArray()}));
    }

    void oddThingsAtThePath() {
        // Opening a FIFO without a writer would block forever; the store must not open it.
        QVERIFY(QDir().mkpath(QFileInfo(fx_.user).absolutePath()));
        QCOMPARE(mkfifo(QFile::encodeName(fx_.user).constData(), 0600), 0);
        QCOMPARE(Open("Software"), kNotFound);
        // A directory in the file's place reads as empty and cannot be written.
        Store().SetFilePath(kUser, QFileInfo(fx_.user).absolutePath());
        QCOMPARE(Open("Software"), kNotFound);
        QVERIFY(Create("Software") != kOk);
        // A regular file where the folder should be: the folder can never be made.
        const QString blocker = fx_.Path("blocker");
        WriteAll(blocker, "not a folder");
        Store().SetFilePath(kUser, blocker + "/varkelo/registry.json");
        QCOMPARE(Create("Software"), kDenied);
        QCOMPARE(Open("Software"), kNotFound);
        QCOMPARE(ReadAll(blocker), QByteArray("not a folder"));
    }

    void failedWriteLeavesPreviousFile_data() {
        QTest::addColumn<int>("valueBytes");
        // A small store is written in one piece at commit; a large one in several writes.
        QTest::newRow("small") << 2 * 1024;
        QTest::newRow("large") << 64 * 1024;
    }
    void failedWriteLeavesPreviousFile() {
        QFETCH(int, valueBytes);
        const QString key = QStringLiteral("Software\\varkelo\\video");
        QCOMPARE(Create(key), kOk);
        QCOMPARE(Set(key, "File1", Text("/a.avi")), kOk);
        const QByteArray before = ReadAll(fx_.user);
        long status = kOk;
        {
            // The new store is larger than files may grow: the write breaks off part way.
            FileSizeLimit limit(before.size() + 64);
            QVERIFY(limit.ok());
            status = Set(key, "Big", {REG_BINARY, QByteArray(valueBytes, 'x')});
        }
        QCOMPARE(status, kDenied);
        QCOMPARE(ReadAll(fx_.user), before);
        QCOMPARE(Query(key, "Big"), QByteArray("<status 2>"));
        // No temporary file is left beside the store.
        QCOMPARE(QDir(QFileInfo(fx_.user).absolutePath()).entryList(QDir::Files),
                 QStringList{"registry.json"});
    }

    void limitsKeepTheFileReadable() {
        QStringList deep;
        for (int i = 0; i < RegistryStore::kMaxKeyDepth + 1; ++i) deep << QStringLiteral("k");
        QCOMPARE(Create(deep.join('\\')), kInvalid);
        deep.removeLast();
        QVERIFY(Create(deep.join('\\')) == kOk && Open(deep.join('\\')) == kOk);
        QCOMPARE(Create(QString(256, 'n')), kInvalid);
        QCOMPARE(Set(QString(), QString(16384, 'v'), Text("x")), kInvalid);

        const QByteArray before = ReadAll(fx_.user);
        const QByteArray huge(RegistryStore::kMaxFileBytes / 2 + 1, 'h');  // twice that in hex
        QCOMPARE(Set(QString(), "huge", {REG_BINARY, huge}), long(ERROR_NOT_ENOUGH_QUOTA));
        QCOMPARE(ReadAll(fx_.user), before);
    }
};

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registrystore.moc"
