#pragma once
// A store of named, typed values under key paths, standing in for the registry.
// HKEY_CURRENT_USER is a per-user file under the user's configuration folder, written
// atomically; HKEY_LOCAL_MACHINE is a machine-wide file the program only reads.
// A missing or corrupt store reads as empty; nothing here throws.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace platform {

// Predefined root keys, by their handle values.
inline constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
inline constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr std::uint32_t HKEY_USERS = 0x80000003u;

// Registry data types.
enum RegType : std::uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
};

struct RegValue {
    std::uint32_t type = REG_NONE;
    QByteArray data;  // raw bytes as the registry keeps them (text with its NUL terminator)
};

// (the implementer of this header documents the rest of the API here)

}  // namespace platform
