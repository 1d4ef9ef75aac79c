// Any bytes as the user's settings store: every key and value reads without harm, the
// settings load into a list that stays within its bounds, and a write over whatever was
// there leaves a store that reads back with the value written.

#include "platform/RegistryStore.h"
#include "ui/Globals.h"
#include "shell/cMRUFileList.h"
#include "shell/cRegistry.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace platform;

namespace {

// Every read parses the whole file again: a budget keeps one input from taking minutes.
void Walk(cRegistry& r, const QString& path, int depth, int& budget) {
    if (depth > RegistryStore::kMaxKeyDepth) __builtin_trap();
    if (--budget < 0) return;
    r.SetSectionKey(path);
    QStringList names;
    int count = 0;
    r.EnumerateValues(names, count);
    if (count != names.size()) __builtin_trap();
    for (const QString& name : names) {
        if (--budget < 0) return;
        r.SetValueKey(name);
        (void)r.Value();
    }
    QStringList subkeys;
    r.EnumerateSections(subkeys, count);
    for (const QString& sub : subkeys)
        Walk(r, path.isEmpty() ? sub : path + QLatin1Char('\\') + sub, depth + 1, budget);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir* dir = new QTemporaryDir;  // lives for the whole run
    const QString path = dir->filePath(QStringLiteral("registry.json"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER, path);

    cRegistry walker;
    walker.SetClassKey(HKEY_CURRENT_USER);
    int budget = 200;
    Walk(walker, QString(), 0, budget);

    Globals program;
    cRegistry r;
    r.SetClassKey(HKEY_CURRENT_USER);
    r.SetSectionKey(QStringLiteral("Software\\varkelo\\video"));
    cMRUFileList list(program);
    list.SetMaxFileCount(4);
    list.Load(r);
    list.LoadDir(r);
    list.LoadModelDir(r);
    list.LoadToolCoor(r);
    if (list.MaxFileCount() < 1 || list.MaxFileCount() > cMRUFileList::kMenuSlots) __builtin_trap();
    if (list.FileCount() < 0 || list.FileCount() > list.MaxFileCount()) __builtin_trap();
    for (int i = 1; i <= list.FileCount(); ++i) (void)list.MenuCaption(i);
    const QPoint& p = program.ToolPos.videoControls;
    if (p.x() < 0 || p.y() < 0) __builtin_trap();

    r.SetValueKey(QStringLiteral("Count"));
    r.SetValueType(REG_DWORD);
    r.SetValue(3);
    if (r.Value() != QVariant(3)) __builtin_trap();
    return 0;
}
