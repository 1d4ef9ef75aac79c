#pragma once
// A known desktop for one main-window test: a 1024 x 768 screen at 96 DPI and settings in a
// fresh temporary store (each window brings its own program state). Everything is put back
// when it goes.

#include "platform/RegistryStore.h"
#include "platform/Twips.h"

#include <QTemporaryDir>

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

    // The per-user settings file of this desktop.
    QString RegistryFile() const { return home_.filePath(QStringLiteral("registry.json")); }

private:
    QTemporaryDir home_;
};
