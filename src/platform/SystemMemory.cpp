#include "platform/SystemMemory.h"

#include <QFile>

#include <sys/resource.h>

#include <limits>

namespace platform {

namespace {
std::optional<std::uint64_t>& overridden() {
    static std::optional<std::uint64_t> bytes;
    return bytes;
}
}  // namespace

void OverrideAvailableMemory(std::optional<std::uint64_t> bytes) {
    overridden() = bytes;
}

std::uint64_t AvailableMemoryBytes() {
    if (overridden()) return *overridden();
    std::uint64_t available = std::numeric_limits<std::uint64_t>::max();
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        while (!meminfo.atEnd()) {
            const QByteArray line = meminfo.readLine();
            if (!line.startsWith("MemAvailable:")) continue;
            bool ok = false;
            const std::uint64_t kb = line.mid(13).trimmed().split(' ').value(0).toULongLong(&ok);
            if (ok) available = kb * 1024;
            break;
        }
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        available = std::min<std::uint64_t>(available, limit.rlim_cur);
    return available;
}

}  // namespace platform
