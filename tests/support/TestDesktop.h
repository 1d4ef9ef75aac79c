#pragma once
// A known desktop for one main-window test: a 1024 x 768 screen at 96 DPI and settings in a
// fresh temporary store (each window brings its own program state). Everything is put back
// when it goes.

#include "platform/RegistryStore.h"
#include "platform/Twips.h"

#include <QTemporaryDir>
#include <QtEndian>

class TestDesktop {
public:
    TestDesktop() {
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
        platform::RegistryStore::Instance().SetFilePath(platform::HKEY_CURRENT_USER, RegistryFile());
    }
    ~TestDesktop() {
        platform::RegistryStore::Instance().ResetFilePaths();
        platform::OverrideScreenMetrics(std::nullopt);
    }
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    // The memory the user lets clips' frames take, as the program's settings hold it.
    static void SetFrameMemoryMB(quint32 mb) {
        QByteArray bytes(4, 0);
        qToLittleEndian(mb, bytes.data());
        platform::RegistryStore::Instance().SetValues(platform::HKEY_CURRENT_USER, QStringLiteral("Software\\varkelo\\video"),
                                                      {{QStringLiteral("FrameMemoryMB"), {platform::REG_DWORD, bytes}}});
    }
    // The per-user settings file of this desktop.
    QString RegistryFile() const { return home_.filePath(QStringLiteral("registry.json")); }

private:
    QTemporaryDir home_;
};
