#pragma once
// How much memory the machine can still give the program.

#include <cstdint>
#include <optional>

namespace platform {

// Bytes the system reports as available for new allocations (MemAvailable), capped by
// the process's address-space limit; a large number when it cannot be told.
std::uint64_t AvailableMemoryBytes();

// Tests pretend a machine with that much memory available (std::nullopt: the real one).
void OverrideAvailableMemory(std::optional<std::uint64_t> bytes);

}  // namespace platform
