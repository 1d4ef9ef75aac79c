#pragma once
// How much memory the machine can still give the program.

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// Where the figures are read from; tests point these at files of their own.
struct MemorySources {
    QString meminfo = QStringLiteral("/proc/meminfo");
    QString processCgroups = QStringLiteral("/proc/self/cgroup");
    QString cgroupMount = QStringLiteral("/sys/fs/cgroup");  // the v2 tree, or the v1 controllers' folders
};

// Bytes the program can still have: the smaller of what the system reports as available
// (MemAvailable) and what the process's control group and each group above it still allow
// (limit minus usage), capped by the process's address-space limit; a large number when
// none of these can be told.
std::uint64_t AvailableMemoryBytes();
std::uint64_t AvailableMemoryBytes(const MemorySources& sources);

// Tests pretend a machine with that much memory available (std::nullopt: the real one).
void OverrideAvailableMemory(std::optional<std::uint64_t> bytes);
// Tests have AvailableMemoryBytes() read other files (std::nullopt: the system's own).
void OverrideMemorySources(std::optional<MemorySources> sources);

}  // namespace platform
