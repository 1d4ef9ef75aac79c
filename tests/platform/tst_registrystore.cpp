// The file-backed registry store: types and raw bytes survive, names compare without
// case, the machine-wide root is read-only, and no damaged or unwritable file can crash
// it, hang it or leave a half-written store behind.

#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

using namespace platform;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Limits the size of files this process may write, so that the next write fails part
// way; the limit is lifted again when the object goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};

}  // namespace

class TestRegistryStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { RegistryStore::Instance().ResetFilePaths(); }

    void textEncodingKeepsNonAsciiAndTerminator();
    void everyTypeKeepsItsBytes();
    void fileIsSelfDescribingJson();
    void namesCompareWithoutCase();
    void createKeyMakesParentsAndEnumerates();
    void deleteKeyOnlyWithoutSubkeys();
    void deleteValue();
    void setValueNeedsAnExistingKey();
    void machineRootIsReadOnly();
    void rootsAreSeparateFiles();
    void rootsWithoutStore();
    void defaultLocationsFollowTheConfigFolder();
    void damagedFileReadsAsEmpty_data();
    void damagedFileReadsAsEmpty();
    void malformedEntriesAreSkipped();
    void fifoAtThePathDoesNotHang();
    void unwritableLocationFailsCleanly();
    void readOnlyFolderKeepsExistingFile();
    void failedWriteLeavesPreviousFile_data();
    void failedWriteLeavesPreviousFile();
    void limitsKeepTheFileReadable();

private:
    RegistryStore& store() { return RegistryStore::Instance(); }
    std::unique_ptr<QTemporaryDir> dir_;
    QString user_;
    QString machine_;
    QString classes_;
};

void TestRegistryStore::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    user_ = dir_->filePath(QStringLiteral("user/registry.json"));
    machine_ = dir_->filePath(QStringLiteral("machine/registry.json"));
    classes_ = dir_->filePath(QStringLiteral("user/classes.json"));
    store().SetFilePath(HKEY_CURRENT_USER, user_);
    store().SetFilePath(HKEY_LOCAL_MACHINE, machine_);
    store().SetFilePath(HKEY_CLASSES_ROOT, classes_);
}

void TestRegistryStore::textEncodingKeepsNonAsciiAndTerminator() {
    const QString path = QStringLiteral("/home/jöran/Клипы/swing.avi");
    const QByteArray bytes = EncodeText(path);
    QCOMPARE(bytes.back(), '\0');
    QCOMPARE(bytes.size(), path.toUtf8().size() + 1);
    QCOMPARE(DecodeText(bytes), path);
    QCOMPARE(DecodeText(EncodeText(QString())), QString());
    QCOMPARE(EncodeText(QString()), QByteArray(1, '\0'));
    // Only one terminator is dropped; data without one loses nothing.
    QCOMPARE(DecodeText(QByteArray("a\0b\0\0", 5)), QString::fromUtf8("a\0b\0", 4));
    QCOMPARE(DecodeText(QByteArray("abc")), QStringLiteral("abc"));
}

void TestRegistryStore::everyTypeKeepsItsBytes() {
    const QString key = QStringLiteral("Software\\Test");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, key), long(ERROR_SUCCESS));
    const std::vector<std::pair<QString, RegValue>> values{
        {QStringLiteral("sz"), {REG_SZ, EncodeText(QStringLiteral("Grüße"))}},
        {QStringLiteral("expand"), {REG_EXPAND_SZ, EncodeText(QStringLiteral("%HOME%/x"))}},
        {QStringLiteral("binary"), {REG_BINARY, QByteArray("\x00\xff\x10\x00", 4)}},
        {QStringLiteral("dword"), {REG_DWORD, QByteArray("\xd2\x04\x00\x00", 4)}},
        {QStringLiteral("bigendian"), {REG_DWORD_BIG_ENDIAN, QByteArray("\x01\x02\x03\x04", 4)}},
        {QStringLiteral("link"), {REG_LINK, QByteArray("lnk")}},
        {QStringLiteral("multi"), {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)}},
        {QStringLiteral("none"), {REG_NONE, QByteArray()}},
        {QStringLiteral("odd type"), {42, QByteArray("\x7f", 1)}},
        // Text types with bytes that are not plain text must survive exactly too.
        {QStringLiteral("sz without NUL"), {REG_SZ, QByteArray("raw")}},
        {QStringLiteral("sz bad utf8"), {REG_SZ, QByteArray("\xc3\x28\0", 3)}},
    };
    for (const auto& [name, v] : values)
        QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, name, v), long(ERROR_SUCCESS));
    for (const auto& [name, v] : values) {
        RegValue back;
        QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, name, back), long(ERROR_SUCCESS));
        QCOMPARE(back.type, v.type);
        QCOMPARE(back.data, v.data);
    }
    RegValue missing;
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, QStringLiteral("nope"), missing),
             long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nope"), QStringLiteral("sz"),
                                missing),
             long(ERROR_FILE_NOT_FOUND));
}

void TestRegistryStore::fileIsSelfDescribingJson() {
    const QString key = QStringLiteral("Software\\varkelo\\video");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, key), long(ERROR_SUCCESS));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("WorkingDir"),
                              {REG_SZ, EncodeText(QStringLiteral("/home/me/clips"))}),
             long(ERROR_SUCCESS));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("Count"),
                              {REG_DWORD, QByteArray("\x02\0\0\0", 4)}),
             long(ERROR_SUCCESS));
    const QByteArray bytes = ReadAll(user_);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(doc.object().value(QStringLiteral("format")).toString(), QStringLiteral("varkelo-registry"));
    // Text reads as text and types by name, so a person can check the file by eye.
    QVERIFY(bytes.contains("\"/home/me/clips\""));
    QVERIFY(bytes.contains("\"REG_DWORD\""));
    QVERIFY(bytes.contains("\"02000000\""));
    QVERIFY(bytes.contains("Software\\\\varkelo\\\\video"));
}

void TestRegistryStore::namesCompareWithoutCase() {
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Varkelo")), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\varkelo")), long(ERROR_SUCCESS));
    // Creating it again under another case makes no second key.
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("software\\VARKELO")), long(ERROR_SUCCESS));
    QStringList keys;
    QCOMPARE(store().EnumSubKeys(HKEY_CURRENT_USER, QStringLiteral("software"), keys), long(ERROR_SUCCESS));
    QCOMPARE(keys, QStringList{QStringLiteral("Varkelo")});

    const QString key = QStringLiteral("Software\\Varkelo");
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("Count"), {REG_DWORD, QByteArray(4, '\1')}),
        long(ERROR_SUCCESS));
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("COUNT"), {REG_DWORD, QByteArray(4, '\2')}),
        long(ERROR_SUCCESS));
    RegValue v;
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, QStringLiteral("count"), v), long(ERROR_SUCCESS));
    QCOMPARE(v.data, QByteArray(4, '\2'));
    QStringList names;
    QCOMPARE(store().EnumValueNames(HKEY_CURRENT_USER, key, names), long(ERROR_SUCCESS));
    QCOMPARE(names, QStringList{QStringLiteral("Count")});  // first spelling kept, one value

    // The empty name is the key's default value, distinct from every named value.
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QString(), {REG_SZ, EncodeText(QStringLiteral("def"))}),
             long(ERROR_SUCCESS));
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, QString(), v), long(ERROR_SUCCESS));
    QCOMPARE(DecodeText(v.data), QStringLiteral("def"));
    QCOMPARE(store().EnumValueNames(HKEY_CURRENT_USER, key, names), long(ERROR_SUCCESS));
    QCOMPARE(names, (QStringList{QStringLiteral("Count"), QString()}));

    // Empty path parts are ignored.
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("\\Software\\\\Varkelo\\")),
             long(ERROR_SUCCESS));
}

void TestRegistryStore::createKeyMakesParentsAndEnumerates() {
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("A")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("A\\b\\C")), long(ERROR_SUCCESS));
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("A\\a2")), long(ERROR_SUCCESS));
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("A\\Zed")), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("A\\B")), long(ERROR_SUCCESS));
    QStringList keys;
    QCOMPARE(store().EnumSubKeys(HKEY_CURRENT_USER, QStringLiteral("A"), keys), long(ERROR_SUCCESS));
    QCOMPARE(keys, (QStringList{QStringLiteral("a2"), QStringLiteral("b"), QStringLiteral("Zed")}));
    QCOMPARE(store().EnumSubKeys(HKEY_CURRENT_USER, QStringLiteral("Missing"), keys),
             long(ERROR_FILE_NOT_FOUND));
    QVERIFY(keys.isEmpty());

    const QString key = QStringLiteral("A\\b");
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("x"), {REG_SZ, EncodeText("12345")}),
             long(ERROR_SUCCESS));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("Longest name"),
                              {REG_DWORD, QByteArray(4, 0)}),
             long(ERROR_SUCCESS));
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("mid"), {REG_BINARY, QByteArray(9, 'z')}),
        long(ERROR_SUCCESS));
    RegKeyInfo info;
    QCOMPARE(store().QueryInfo(HKEY_CURRENT_USER, key, info), long(ERROR_SUCCESS));
    QCOMPARE(info.valueCount, 3);
    QCOMPARE(info.maxValueNameLength, 12);
    QCOMPARE(info.maxValueDataLength, 9);
    QCOMPARE(info.subKeyCount, 1);
    QCOMPARE(info.maxSubKeyNameLength, 1);
    QStringList names;
    QCOMPARE(store().EnumValueNames(HKEY_CURRENT_USER, key, names), long(ERROR_SUCCESS));
    QCOMPARE(names,
             (QStringList{QStringLiteral("x"), QStringLiteral("Longest name"), QStringLiteral("mid")}));
}

void TestRegistryStore::deleteKeyOnlyWithoutSubkeys() {
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("A\\B")), long(ERROR_SUCCESS));
    QCOMPARE(store().DeleteKey(HKEY_CURRENT_USER, QStringLiteral("A")), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("A\\B")), long(ERROR_SUCCESS));
    QCOMPARE(store().DeleteKey(HKEY_CURRENT_USER, QStringLiteral("a\\b")), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("A\\B")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().DeleteKey(HKEY_CURRENT_USER, QStringLiteral("A\\B")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().DeleteKey(HKEY_CURRENT_USER, QStringLiteral("A")), long(ERROR_SUCCESS));
    QCOMPARE(store().DeleteKey(HKEY_CURRENT_USER, QString()), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QString()), long(ERROR_SUCCESS));
}

void TestRegistryStore::deleteValue() {
    const QString key = QStringLiteral("K");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, key), long(ERROR_SUCCESS));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("a"), {REG_SZ, EncodeText("1")}),
             long(ERROR_SUCCESS));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("b"), {REG_SZ, EncodeText("2")}),
             long(ERROR_SUCCESS));
    QCOMPARE(store().DeleteValue(HKEY_CURRENT_USER, key, QStringLiteral("A")), long(ERROR_SUCCESS));
    QCOMPARE(store().DeleteValue(HKEY_CURRENT_USER, key, QStringLiteral("a")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().DeleteValue(HKEY_CURRENT_USER, QStringLiteral("Nope"), QStringLiteral("b")),
             long(ERROR_FILE_NOT_FOUND));
    QStringList names;
    QCOMPARE(store().EnumValueNames(HKEY_CURRENT_USER, key, names), long(ERROR_SUCCESS));
    QCOMPARE(names, QStringList{QStringLiteral("b")});
}

void TestRegistryStore::setValueNeedsAnExistingKey() {
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, QStringLiteral("No\\Key"), QStringLiteral("v"), {REG_SZ, "x"}),
        long(ERROR_FILE_NOT_FOUND));
    QVERIFY(!QFile::exists(user_));
}

void TestRegistryStore::machineRootIsReadOnly() {
    // Build a machine-wide store by writing it as a user store, then read it as HKLM.
    const QString key = QStringLiteral("SOFTWARE\\Tools");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, key + QStringLiteral("\\Sub")), long(ERROR_SUCCESS));
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("PATH"), {REG_SZ, EncodeText("/usr/bin/x")}),
        long(ERROR_SUCCESS));
    QVERIFY(QDir().mkpath(QFileInfo(machine_).absolutePath()));
    QVERIFY(QFile::copy(user_, machine_));
    const QByteArray before = ReadAll(machine_);

    RegValue v;
    QCOMPARE(store().QueryValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("path"), v), long(ERROR_SUCCESS));
    QCOMPARE(DecodeText(v.data), QStringLiteral("/usr/bin/x"));
    QCOMPARE(store().OpenKey(HKEY_LOCAL_MACHINE, key), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_LOCAL_MACHINE, key, true), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().CreateKey(HKEY_LOCAL_MACHINE, key), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().CreateKey(HKEY_LOCAL_MACHINE, QStringLiteral("New")), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().SetValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH"), {REG_SZ, "y"}),
             long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().DeleteValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("PATH")), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().DeleteKey(HKEY_LOCAL_MACHINE, key + QStringLiteral("\\Sub")), long(ERROR_ACCESS_DENIED));
    QCOMPARE(ReadAll(machine_), before);
}

void TestRegistryStore::rootsAreSeparateFiles() {
    QCOMPARE(store().CreateKey(HKEY_CLASSES_ROOT, QStringLiteral(".avi")), long(ERROR_SUCCESS));
    QVERIFY(QFile::exists(classes_));
    QVERIFY(!QFile::exists(user_));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral(".avi")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().OpenKey(HKEY_LOCAL_MACHINE, QStringLiteral(".avi")), long(ERROR_FILE_NOT_FOUND));
}

void TestRegistryStore::rootsWithoutStore() {
    for (const std::uint32_t root : {0u, HKEY_USERS, 0x80000005u}) {
        QCOMPARE(store().OpenKey(root, QString()), long(ERROR_INVALID_HANDLE));
        QCOMPARE(store().CreateKey(root, QStringLiteral("X")), long(ERROR_INVALID_HANDLE));
        RegValue v;
        QCOMPARE(store().QueryValue(root, QString(), QString(), v), long(ERROR_INVALID_HANDLE));
        QVERIFY(store().FilePath(root).isEmpty());
    }
}

void TestRegistryStore::defaultLocationsFollowTheConfigFolder() {
    store().ResetFilePaths();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QVERIFY(!config.isEmpty());
    QCOMPARE(store().FilePath(HKEY_CURRENT_USER), config + QStringLiteral("/varkelo/registry.json"));
    QCOMPARE(store().FilePath(HKEY_CLASSES_ROOT), config + QStringLiteral("/varkelo/classes.json"));
    QVERIFY(store().FilePath(HKEY_LOCAL_MACHINE).endsWith(QStringLiteral("/varkelo/registry.json")));
    QVERIFY(store().FilePath(HKEY_LOCAL_MACHINE) != store().FilePath(HKEY_CURRENT_USER));
    // An override wins until it is taken back.
    store().SetFilePath(HKEY_CURRENT_USER, user_);
    QCOMPARE(store().FilePath(HKEY_CURRENT_USER), user_);
    store().SetFilePath(HKEY_CURRENT_USER, QString());
    QCOMPARE(store().FilePath(HKEY_CURRENT_USER), config + QStringLiteral("/varkelo/registry.json"));
}

void TestRegistryStore::damagedFileReadsAsEmpty_data() {
    QTest::addColumn<QByteArray>("content");
    const QByteArray good =
        R"({"format":"varkelo-registry","version":1,"keys":[{"path":"Software","values":[{"name":"a","type":"REG_SZ","text":"x"}]}]})";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18);
    QTest::newRow("json array") << QByteArray("[1,2,3]");
    QTest::newRow("other json object") << QByteArray(R"({"keys":[{"path":"Software","values":[]}]})");
    QTest::newRow("keys not a list") << QByteArray(
        R"({"format":"varkelo-registry","keys":{"path":"Software"}})");
    QTest::newRow("deep nesting") << QByteArray(100000, '[');
}

void TestRegistryStore::damagedFileReadsAsEmpty() {
    QFETCH(QByteArray, content);
    QVERIFY(QDir().mkpath(QFileInfo(user_).absolutePath()));
    WriteAll(user_, content);
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QString()), long(ERROR_SUCCESS));
    QStringList keys;
    QCOMPARE(store().EnumSubKeys(HKEY_CURRENT_USER, QString(), keys), long(ERROR_SUCCESS));
    QVERIFY(keys.isEmpty());
    // The next change replaces the damaged file with a good store.
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New")), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("software\\new")), long(ERROR_SUCCESS));
}

void TestRegistryStore::malformedEntriesAreSkipped() {
    QVERIFY(QDir().mkpath(QFileInfo(user_).absolutePath()));
    WriteAll(user_, R"({"format":"varkelo-registry","version":7,"keys":[
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
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, QStringLiteral("Good"), QStringLiteral("ok"), v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.type, std::uint32_t(REG_DWORD));
    QCOMPARE(v.data, QByteArray("\x2a\0\0\0", 4));
    QStringList names;
    QCOMPARE(store().EnumValueNames(HKEY_CURRENT_USER, QStringLiteral("Good"), names), long(ERROR_SUCCESS));
    QCOMPARE(names, (QStringList{QStringLiteral("ok"), QStringLiteral("num type")}));
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, QStringLiteral("Good"), QStringLiteral("num type"), v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.type, 42u);
    QVERIFY(v.data.isEmpty());
}

void TestRegistryStore::fifoAtThePathDoesNotHang() {
    QVERIFY(QDir().mkpath(QFileInfo(user_).absolutePath()));
    QCOMPARE(mkfifo(QFile::encodeName(user_).constData(), 0600), 0);
    // Opening a FIFO without a writer would block forever; the store must not open it.
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_FILE_NOT_FOUND));
    // A directory in the file's place reads as empty and cannot be written.
    store().SetFilePath(HKEY_CURRENT_USER, dir_->path());
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_FILE_NOT_FOUND));
    QVERIFY(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software")) != long(ERROR_SUCCESS));
}

void TestRegistryStore::unwritableLocationFailsCleanly() {
    // A regular file where the folder should be: the folder can never be made.
    const QString blocker = dir_->filePath(QStringLiteral("blocker"));
    WriteAll(blocker, "not a folder");
    store().SetFilePath(HKEY_CURRENT_USER, blocker + QStringLiteral("/varkelo/registry.json"));
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_ACCESS_DENIED));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(ReadAll(blocker), QByteArray("not a folder"));
}

void TestRegistryStore::readOnlyFolderKeepsExistingFile() {
    if (geteuid() == 0) QSKIP("folder permissions do not bind the superuser");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_SUCCESS));
    const QByteArray before = ReadAll(user_);
    const QString folder = QFileInfo(user_).absolutePath();
    QVERIFY(QFile::setPermissions(user_, QFile::ReadOwner));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const long status = store().CreateKey(HKEY_CURRENT_USER, QStringLiteral("Software\\More"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(status, long(ERROR_ACCESS_DENIED));
    QCOMPARE(ReadAll(user_), before);
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, QStringLiteral("Software")), long(ERROR_SUCCESS));
}

void TestRegistryStore::failedWriteLeavesPreviousFile_data() {
    QTest::addColumn<int>("valueBytes");
    // A small store is written in one piece at commit; a large one in several writes.
    QTest::newRow("small") << 2 * 1024;
    QTest::newRow("large") << 64 * 1024;
}

void TestRegistryStore::failedWriteLeavesPreviousFile() {
    QFETCH(int, valueBytes);
    const QString key = QStringLiteral("Software\\varkelo\\video");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, key), long(ERROR_SUCCESS));
    QCOMPARE(
        store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("File1"), {REG_SZ, EncodeText("/a.avi")}),
        long(ERROR_SUCCESS));
    const QByteArray before = ReadAll(user_);
    long status = ERROR_SUCCESS;
    {
        // The new store is larger than files may grow: the write breaks off part way.
        FileSizeLimit limit(static_cast<rlim_t>(before.size() + 64));
        QVERIFY(limit.ok());
        status = store().SetValue(HKEY_CURRENT_USER, key, QStringLiteral("Big"),
                                  {REG_BINARY, QByteArray(valueBytes, 'x')});
    }
    QCOMPARE(status, long(ERROR_ACCESS_DENIED));
    QCOMPARE(ReadAll(user_), before);
    RegValue v;
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, QStringLiteral("File1"), v), long(ERROR_SUCCESS));
    QCOMPARE(store().QueryValue(HKEY_CURRENT_USER, key, QStringLiteral("Big"), v),
             long(ERROR_FILE_NOT_FOUND));
    // No temporary file is left beside the store.
    QCOMPARE(QDir(QFileInfo(user_).absolutePath()).entryList(QDir::Files),
             QStringList{QStringLiteral("registry.json")});
}

void TestRegistryStore::limitsKeepTheFileReadable() {
    QStringList deep;
    for (int i = 0; i < RegistryStore::kMaxKeyDepth + 1; ++i) deep << QStringLiteral("k");
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, deep.join(QLatin1Char('\\'))),
             long(ERROR_INVALID_PARAMETER));
    deep.removeLast();
    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, deep.join(QLatin1Char('\\'))), long(ERROR_SUCCESS));
    QCOMPARE(store().OpenKey(HKEY_CURRENT_USER, deep.join(QLatin1Char('\\'))), long(ERROR_SUCCESS));

    QCOMPARE(store().CreateKey(HKEY_CURRENT_USER, QString(256, QLatin1Char('n'))),
             long(ERROR_INVALID_PARAMETER));
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, QString(), QString(16384, QLatin1Char('v')), {REG_SZ, "x"}),
             long(ERROR_INVALID_PARAMETER));

    const QByteArray before = ReadAll(user_);
    const QByteArray huge(RegistryStore::kMaxFileBytes / 2 + 1, 'h');  // twice that in hex
    QCOMPARE(store().SetValue(HKEY_CURRENT_USER, QString(), QStringLiteral("huge"), {REG_BINARY, huge}),
             long(ERROR_NOT_ENOUGH_QUOTA));
    QCOMPARE(ReadAll(user_), before);
}

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registrystore.moc"
