// cRegistry over the file-backed store: the type rules of reads and writes, the
// expansion of environment references, enumeration, and the exact errors of the key
// and value operations.

#include "SettingsStoreFixture.h"
#include "platform/RuntimeError.h"
#include "shell/cRegistry.h"

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\varkelo\\test");
constexpr std::uint32_t kNotFound = 0xFFFFu;  // the type Stored gives a missing value

RuntimeError Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0, QStringLiteral("nothing raised"), QStringLiteral("nothing raised"));
}

cRegistry UserRegistry(const QString& value = QString(), std::uint32_t type = REG_NONE) {
    cRegistry r;
    r.SetClassKey(HKEY_CURRENT_USER);
    r.SetSectionKey(kKey);
    r.SetValueKey(value);
    r.SetValueType(type);
    return r;
}

}  // namespace

class TestCRegistry : public QObject {
    Q_OBJECT
    SettingsStoreFixture fx_;

private Q_SLOTS:
    void init() { fx_.SetUp(); }
    void cleanup() { fx_.TearDown(); }

    void keysAndDefaults() {
        cRegistry r = UserRegistry("Missing", REG_DWORD);
        QVERIFY(!r.KeyExists() && !r.Value().isValid());  // Default starts empty
        QVERIFY(r.CreateKey());
        QVERIFY(r.KeyExists() && !r.Value().isValid());  // the value selected plays no part
        QCOMPARE(r.ValueType(), std::uint32_t(REG_DWORD));
        r.SetSectionKey(QStringLiteral("SOFTWARE\\VARKELO"));
        QVERIFY(r.KeyExists());
        QVERIFY(!cRegistry().KeyExists());  // root 0 is no root
    }

    void textRoundTripSetsType() {
        cRegistry r = UserRegistry("WorkingDir", REG_SZ);
        const QString path = QStringLiteral("/home/jöran/Клипы");
        r.SetValue(path);
        // 8-bit text and its terminator.
        QCOMPARE(Stored(kKey, "WorkingDir"), (RegValue{REG_SZ, path.toUtf8() + QByteArray(1, '\0')}));
        cRegistry fresh = UserRegistry("workingdir", REG_DWORD);
        QCOMPARE(fresh.Value(), QVariant(path));
        QCOMPARE(fresh.ValueType(), std::uint32_t(REG_SZ));

        // A number written as text is its decimal text; an empty value is an empty text.
        r.SetValueKey(QStringLiteral("DrawToolX"));
        r.SetValue(-1230);
        QCOMPARE(Stored(kKey, "DrawToolX").data, QByteArray("-1230\0", 6));
        r.SetValue(QVariant());
        QCOMPARE(Stored(kKey, "DrawToolX").data, QByteArray(1, '\0'));
        r.SetValue(true);
        QCOMPARE(r.Value(), QVariant("True"));

        // Expandable text is expanded on read, and the read reports its type.
        qputenv("VARKELO_TEST_CLIPS", "/srv/golf");
        r.SetValueKey(QStringLiteral("ModelDir"));
        r.SetValue(QStringLiteral("%VARKELO_TEST_CLIPS%/models"));
        r.SetValueType(REG_SZ);
        QCOMPARE(r.Value(), QVariant("/srv/golf/models"));
        QCOMPARE(r.ValueType(), std::uint32_t(REG_EXPAND_SZ));
        qunsetenv("VARKELO_TEST_CLIPS");
    }

    void percentPairChoosesExpandableText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::uint32_t>("writeType");
        QTest::addColumn<std::uint32_t>("storedType");
        const auto row = [](const char* name, const char* text, RegType write, RegType stored) {
            QTest::newRow(name) << QString::fromUtf8(text) << std::uint32_t(write) << std::uint32_t(stored);
        };
        row("trailing percent", "100%", REG_SZ, REG_SZ);
        row("enclosed name", "%HOME%/clips", REG_SZ, REG_EXPAND_SZ);
        row("adjacent pair", "%%", REG_SZ, REG_SZ);
        row("pair later", "a%b%c", REG_SZ, REG_EXPAND_SZ);
        row("second pair encloses", "%%x%", REG_SZ, REG_EXPAND_SZ);
        row("no percent as expand", "plain", REG_EXPAND_SZ, REG_SZ);
    }
    void percentPairChoosesExpandableText() {
        QFETCH(QString, text);
        QFETCH(std::uint32_t, writeType);
        QFETCH(std::uint32_t, storedType);
        UserRegistry("v", writeType).SetValue(text);
        const RegValue stored = Stored(kKey, "v");
        QCOMPARE(stored.type, storedType);
        QCOMPARE(DecodeText(stored.data), text);  // stored as written, never expanded
    }

    void expansionRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");
        const auto row = [](const char* text, const char* expanded) {
            QTest::newRow(text) << text << expanded;
        };
        row("%TVAR% long long", "WINE long long");
        row("%TVAR%%TVAR% long", "WINEWINE long");
        row("%TVAR_UNSET_X% long", "%TVAR_UNSET_X% long");  // unknown stays
        row("%TVAR_UNSET_X%%TVAR%", "%TVAR_UNSET_X%WINE");
        row("%TVAR long long", "%TVAR long long");  // unclosed
        row("100%", "100%");
        row("%%", "%%");  // empty name
        row("a%TVAR_EMPTY%b", "ab");
        row("-%TVAR_INDIRECT%-", "-Foo%TVAR%Bar-");  // not expanded twice
        row("%tvar%", "%tvar%");                     // case matters here
    }
    void expansionRules() {
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        qputenv("TVAR", "WINE");
        qputenv("TVAR_EMPTY", "");
        qputenv("TVAR_INDIRECT", "Foo%TVAR%Bar");
        qunsetenv("TVAR_UNSET_X");
        qunsetenv("tvar");
        QCOMPARE(ExpandEnvironmentStrings(text), expanded);
        for (const char* name : {"TVAR", "TVAR_EMPTY", "TVAR_INDIRECT"}) qunsetenv(name);
    }

    void numbersAndTheirTypes() {
        cRegistry r = UserRegistry("Count", REG_DWORD);
        r.SetValue(1230);
        QCOMPARE(Stored(kKey, "Count"), (RegValue{REG_DWORD, QByteArray("\xce\x04\x00\x00", 4)}));
        QCOMPARE(r.Value().typeId(), int(QMetaType::Int));
        // Negative, narrow, unsigned and wide integers that fit 32 bits.
        const std::pair<QVariant, int> widths[] = {{QVariant(-1), -1},
                                                   {QVariant::fromValue(short(7)), 7},
                                                   {QVariant(0xFFFFFFFEu), -2},
                                                   {QVariant::fromValue(qint64(40000)), 40000}};
        for (const auto& [written, read] : widths) {
            r.SetValue(written);
            QCOMPARE(r.Value(), QVariant(read));
        }

        // Type 5 also writes a little-endian REG_DWORD.
        r.SetValueType(REG_DWORD_BIG_ENDIAN);
        r.SetValue(0x01020304);
        const RegValue written{REG_DWORD, QByteArray("\x04\x03\x02\x01", 4)};
        QCOMPARE(Stored(kKey, "Count"), written);

        // Values that are no 32-bit integers write nothing.
        r.SetValueType(REG_DWORD);
        for (const QVariant& v : {QVariant(1.5), QVariant::fromValue(qint64(5000000000LL)),
                                  QVariant(QByteArray("ab")), QVariant(true), QVariant(), QVariant("4")}) {
            r.SetValue(v);
            QCOMPARE(Stored(kKey, "Count"), written);
        }
        // A type without a write rule writes nothing; the key is still made.
        cRegistry other = UserRegistry("MaxCount", REG_MULTI_SZ);
        other.SetSectionKey(kKey + "\\other");
        other.SetValue(QStringLiteral("4"));
        QVERIFY(other.KeyExists());
        QCOMPARE(Stored(kKey + "\\other", "MaxCount").type, kNotFound);
    }

    // Values another program stored, read back with their own types.
    void storedValuesRead_data() {
        QTest::addColumn<std::uint32_t>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("value");
        const auto row = [](const char* name, std::uint32_t type, const QByteArray& bytes,
                            const QVariant& v) { QTest::newRow(name) << type << bytes << v; };
        row("big-endian", REG_DWORD_BIG_ENDIAN, QByteArray("\x01\x02\x03\x04", 4), QVariant(0x01020304));
        // Damaged numbers of the wrong size read from the bytes there are, never beyond.
        row("short number", REG_DWORD, QByteArray("\x05", 1), QVariant(5));
        row("long number", REG_DWORD, QByteArray("\x06\0\0\0\x09\x09", 6), QVariant(6));
        row("empty number", REG_DWORD_BIG_ENDIAN, QByteArray(), QVariant(0));
        row("link", REG_LINK, QByteArray("\x01\x02", 2), QVariant(QByteArray("\x01\x02\x00", 3)));
        row("unknown type", 99, QByteArray("z"), QVariant(QByteArray("z\0", 2)));
        row("multi", REG_MULTI_SZ, QByteArray("a\0bc\0\0", 6), QVariant(QString::fromUtf8("a\0bc\0", 5)));
        // No terminator at all: an empty text, no underrun.
        row("text without terminator", REG_SZ, QByteArray(), QVariant(QString()));
    }
    void storedValuesRead() {
        QFETCH(std::uint32_t, type);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, value);
        PutRaw(kKey, "v", type, bytes);
        cRegistry r = UserRegistry("v", REG_SZ);
        QCOMPARE(r.Value(), value);
        QCOMPARE(r.ValueType(), type);
    }

    void binary() {
        cRegistry r = UserRegistry("bin", REG_BINARY);
        const RuntimeError e = Raised([&] { r.SetValue(QStringLiteral("ABCDE")); });  // bytes only
        QCOMPARE(e.Number(), 26001L);
        QVERIFY(e.Source() == QStringLiteral("varkelo.cRegistry") && e.Description().isEmpty());
        QCOMPARE(Stored(kKey, "bin").type, kNotFound);

        r.SetValue(QByteArray("ABCDE"));  // indices 0..4: UBound - LBound - 1 = 3 bytes
        QCOMPARE(Stored(kKey, "bin"), (RegValue{REG_BINARY, "ABC"}));
        r.SetValueType(REG_SZ);
        QCOMPARE(r.Value(), QVariant(QByteArray("ABC\0", 4)));  // indexed 0 to size, last one 0
        QCOMPARE(r.ValueType(), std::uint32_t(REG_BINARY));
        r.SetValueType(REG_BINARY);
        for (const QByteArray& tiny : {QByteArray(), QByteArray("AB")}) {
            r.SetValue(tiny);
            QCOMPARE(Stored(kKey, "bin"), (RegValue{REG_BINARY, QByteArray()}));
        }
    }

    void keyAndValueErrors() {
        cRegistry r;
        r.SetClassKey(HKEY_LOCAL_MACHINE);
        r.SetSectionKey(QStringLiteral("Software\\X"));
        r.SetValueKey(QStringLiteral("Name"));
        r.SetValueType(REG_SZ);
        RuntimeError e = Raised([&] { r.CreateKey(); });
        QCOMPARE(e.Number(), 26001L);
        QCOMPARE(e.Description(), QStringLiteral("Failed to create registry Key: 'Software\\X"));
        e = Raised([&] { r.SetValue(QStringLiteral("abc")); });
        QCOMPARE(e.Number(), 26001L);
        QCOMPARE(e.Description(),
                 "Failed to set registry value Key: '-2147483646',Section: 'Software\\X',Key: "
                 "'Name' to value: 'abc'");

        // The key opens but the store refuses the value itself: reported, not passed off as done.
        cRegistry u = UserRegistry(QString(20000, 'n'), REG_DWORD);
        e = Raised([&] { u.SetValue(5); });
        QCOMPARE(static_cast<std::uint32_t>(e.Number()), 0x800469A9u);
        QVERIFY(e.Description().startsWith(
            "Failed to set registry value Key: '-2147483647',Section: 'Software\\varkelo\\test',Key: 'nnn"));
        QVERIFY(e.Description().endsWith("' to value: '5'"));
    }

    // Used by the store's fuzz target: a missing key lists nothing and still succeeds.
    void enumeration() {
        cRegistry r = UserRegistry(QString(), REG_SZ);
        QStringList names{QStringLiteral("stale")};
        int count = 7;
        QVERIFY(r.EnumerateValues(names, count));
        QVERIFY(names.isEmpty() && count == 0);
        for (const char* name : {"MaxCount", ""}) {
            r.SetValueKey(QString::fromLatin1(name));
            r.SetValue(QStringLiteral("x"));
        }
        r.SetSectionKey(kKey + QStringLiteral("\\video"));
        QVERIFY(r.CreateKey());
        r.SetSectionKey(kKey);
        QVERIFY(r.EnumerateValues(names, count));
        QVERIFY(names == QStringList({"MaxCount", QString()}) && count == 2);
        QVERIFY(r.EnumerateSections(names, count));
        QVERIFY(names == QStringList{"video"} && count == 1);
    }
};

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
