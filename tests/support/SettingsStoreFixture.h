#pragma once
// A settings store of its own for each test of the settings suites: every root points at
// a file in a fresh temporary folder, and the helpers those suites share to put values in
// by hand, read them back raw, make a write break off part way, and catch what is raised.

#include "platform/RegistryStore.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <csignal>
#include <functional>
#include <memory>

class SettingsStoreFixture {
public:
    void SetUp() {
        QStandardPaths::setTestModeEnabled(true);
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        user = Path("user/registry.json");
        classes = Path("user/classes.json");
        machine = Path("machine/registry.json");
        auto& store = platform::RegistryStore::Instance();
        store.SetFilePath(platform::HKEY_CURRENT_USER, user);
        store.SetFilePath(platform::HKEY_CLASSES_ROOT, classes);
        store.SetFilePath(platform::HKEY_LOCAL_MACHINE, machine);
    }
    void TearDown() { platform::RegistryStore::Instance().ResetFilePaths(); }
    QString Path(const char* name) const { return dir_->filePath(QLatin1String(name)); }

    QString user, classes, machine;

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// Stores raw bytes under a user key, making the key first.
inline void PutRaw(const QString& key, const QString& name, std::uint32_t type, const QByteArray& data) {
    auto& store = platform::RegistryStore::Instance();
    QCOMPARE(store.CreateKey(platform::HKEY_CURRENT_USER, key), long(platform::ERROR_SUCCESS));
    QCOMPARE(store.SetValue(platform::HKEY_CURRENT_USER, key, name, {type, data}),
             long(platform::ERROR_SUCCESS));
}

// A user value as stored; type 0xFFFF when there is none.
inline platform::RegValue Stored(const QString& key, const QString& name) {
    platform::RegValue v{0xFFFFu, {}};
    platform::RegistryStore::Instance().QueryValue(platform::HKEY_CURRENT_USER, key, name, v);
    return v;
}

// The error `f` raises; number 0 when it raises none.
inline platform::RuntimeError Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::RuntimeError& e) {
        return e;
    }
    return platform::RuntimeError(0, QStringLiteral("nothing raised"), QStringLiteral("nothing raised"));
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Limits the size of files this process may write, so that the next write breaks off
// part way ("the disk fills up"); the limit is lifted again when the object goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        ok_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};
