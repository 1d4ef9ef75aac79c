#pragma once
// A store of named, typed values under key paths, standing in for the registry.
// HKEY_CURRENT_USER is a per-user file under the user's configuration folder, written
// atomically; HKEY_CLASSES_ROOT is a second per-user file beside it (file associations
// written there touch nothing else); HKEY_LOCAL_MACHINE is a machine-wide file the
// program only reads.
// A missing or corrupt store reads as empty; nothing here throws.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

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

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// Status codes of the store's operations, numbered like the registry's own results so
// that callers written against the registry read naturally.
enum RegStatus : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,       // no such key or value
    ERROR_ACCESS_DENIED = 5,        // read-only root, unwritable file, key with subkeys
    ERROR_INVALID_HANDLE = 6,       // a root without a backing store
    ERROR_INVALID_PARAMETER = 87,   // a malformed key path or name
    ERROR_NOT_ENOUGH_QUOTA = 1816,  // the write would make the store larger than we will read back
};

// Encodes text the way the store keeps it: 8-bit (UTF-8, so any path survives) with a
// NUL terminator. DecodeText drops one trailing NUL if present.
QByteArray EncodeText(const QString& text);
QString DecodeText(const QByteArray& data);

// Expands %NAME% references from the environment, as the platform's expansion of
// REG_EXPAND_SZ text does: a defined name is replaced by its value, an unknown name keeps
// both percent signs as written, a lone "%" stays, and the result is not expanded again.
// Names are looked up exactly (the environment here is case-sensitive).
QString ExpandEnvironmentStrings(const QString& text);

// The program-wide store. Key paths are parts separated by "\" (empty parts are
// ignored, an empty path is the root itself); key and value names compare without
// regard to case, and the empty value name is the key's default value.
//
// Every operation reads the backing file afresh and every change rewrites it with
// QSaveFile: the store holds no state between calls, so several objects (or programs)
// see one another's changes, and a failed write leaves the previous file untouched.
// The files are small (a few settings), so this costs nothing that matters.
class RegistryStore {
public:
    static RegistryStore& Instance();

    // Limits that keep every file we write readable again.
    static constexpr int kMaxKeyDepth = 512;
    static constexpr int kMaxKeyNameLength = 255;
    static constexpr int kMaxValueNameLength = 16383;
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

    // The file behind a root: the override if one was set, else the default location.
    // Empty for a root that has no store (reads find nothing, writes are refused).
    QString FilePath(std::uint32_t root) const;
    // Points a root at another file (tests, or a system store elsewhere); an empty
    // path takes the root back to its default location.
    void SetFilePath(std::uint32_t root, const QString& path);
    void ResetFilePaths();

    // Default locations: the user's configuration folder for the current user and the
    // classes, the first machine-wide configuration folder holding a store otherwise.
    static QString DefaultFilePath(std::uint32_t root);
    // Only the machine-wide root is read-only to the program.
    static bool IsWritableRoot(std::uint32_t root);

    // ERROR_SUCCESS when the key exists.
    long OpenKey(std::uint32_t root, const QString& path) const;
    // Creates the key and any missing parents; an existing key is left as it is.
    long CreateKey(std::uint32_t root, const QString& path);
    long QueryValue(std::uint32_t root, const QString& path, const QString& name, RegValue& out) const;
    // Sets a value in an existing key (a new name is appended, an existing one replaced).
    long SetValue(std::uint32_t root, const QString& path, const QString& name, const RegValue& value);
    // Creates the key if needed and sets all the values in one write of the file: either
    // every value is stored or, on any failure, nothing changes.
    long SetValues(std::uint32_t root, const QString& path,
                   const std::vector<std::pair<QString, RegValue>>& values);
    // Value names in the order they were first set; subkeys in case-insensitive order.
    long EnumValueNames(std::uint32_t root, const QString& path, QStringList& names) const;
    long EnumSubKeys(std::uint32_t root, const QString& path, QStringList& names) const;

private:
    RegistryStore() = default;
    std::map<std::uint32_t, QString> overrides_;
};

}  // namespace platform
