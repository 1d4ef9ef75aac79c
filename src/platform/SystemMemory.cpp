#include "platform/SystemMemory.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <limits>

namespace platform {

namespace {

std::optional<std::uint64_t>& overridden() {
    static std::optional<std::uint64_t> bytes;
    return bytes;
}

std::optional<MemorySources>& overriddenSources() {
    static std::optional<MemorySources> sources;
    return sources;
}

// Files under /proc and /sys report a size of 0: they are read to their end, never by size.
std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

std::optional<std::uint64_t> number(const QByteArray& text) {
    bool ok = false;
    const std::uint64_t value = text.trimmed().toULongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

void keepSmaller(std::optional<std::uint64_t>& least, std::optional<std::uint64_t> bytes) {
    if (bytes) least = std::min(least.value_or(*bytes), *bytes);
}

// "MemAvailable:   23401924 kB"
std::optional<std::uint64_t> memAvailable(const QString& meminfo) {
    const auto text = readWhole(meminfo);
    if (!text) return std::nullopt;
    for (const QByteArray& line : text->split('\n')) {
        if (!line.startsWith("MemAvailable:")) continue;
        const auto kb = number(line.simplified().split(' ').value(1));
        return kb ? std::optional(*kb * 1024) : std::nullopt;
    }
    return std::nullopt;
}

// What the group at `group` (a path under `mount`) and every group above it still allow.
// A limit that is no number ("max") is no limit.
std::optional<std::uint64_t> groupRoom(const QString& mount, const QByteArray& group, const char* limitFile,
                                       const char* usageFile) {
    const QString top = QDir::cleanPath(mount);
    QString dir = QDir::cleanPath(top + QLatin1Char('/') + QString::fromUtf8(group));
    std::optional<std::uint64_t> room;
    while (dir.startsWith(top)) {
        if (const auto limit = readWhole(dir + QLatin1Char('/') + QLatin1String(limitFile)); limit) {
            if (const auto max = number(*limit)) {
                const auto usage = readWhole(dir + QLatin1Char('/') + QLatin1String(usageFile));
                const std::uint64_t used = usage ? number(*usage).value_or(0) : 0;
                keepSmaller(room, *max > used ? *max - used : 0);
            }
        }
        if (dir == top) break;
        dir.truncate(dir.lastIndexOf(QLatin1Char('/')));
    }
    return room;
}

// /proc/self/cgroup names the process's group per hierarchy: "0::/path" for cgroup v2,
// "4:memory:/path" for the memory controller of cgroup v1.
std::optional<std::uint64_t> cgroupRoom(const MemorySources& sources) {
    const auto text = readWhole(sources.processCgroups);
    if (!text) return std::nullopt;
    std::optional<std::uint64_t> room;
    for (const QByteArray& line : text->split('\n')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
        if (second < 0) continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const QByteArray group = line.mid(second + 1);
        if (line.left(first) == "0" && controllers.isEmpty())
            keepSmaller(room, groupRoom(sources.cgroupMount, group, "memory.max", "memory.current"));
        else if (controllers.split(',').contains("memory"))
            keepSmaller(room, groupRoom(sources.cgroupMount + QStringLiteral("/memory"), group,
                                        "memory.limit_in_bytes", "memory.usage_in_bytes"));
    }
    return room;
}

}  // namespace

void OverrideAvailableMemory(std::optional<std::uint64_t> bytes) {
    overridden() = bytes;
}

void OverrideMemorySources(std::optional<MemorySources> sources) {
    overriddenSources() = std::move(sources);
}

std::uint64_t AvailableMemoryBytes() {
    if (overridden()) return *overridden();
    return AvailableMemoryBytes(overriddenSources().value_or(MemorySources{}));
}

std::uint64_t AvailableMemoryBytes(const MemorySources& sources) {
    std::optional<std::uint64_t> available = memAvailable(sources.meminfo);
    keepSmaller(available, cgroupRoom(sources));
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        keepSmaller(available, std::uint64_t(limit.rlim_cur));
    return available.value_or(std::numeric_limits<std::uint64_t>::max());
}

}  // namespace platform
