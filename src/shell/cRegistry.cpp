#include "shell/cRegistry.h"

#include "platform/RegistryStore.h"
#include "platform/RuntimeError.h"

#include <QtEndian>

#include <limits>
#include <optional>

using namespace platform;

namespace {

RegistryStore& Store() {
    return RegistryStore::Instance();
}

// The text form of a value, as the runtime converts a variant to text.
QString ValueText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            return {};
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        default:
            return value.toString();
    }
}

// The value as a 32-bit number when it is an integer that fits 32 bits (signed or
// unsigned); nothing for any other kind of value. Our integers may be 64-bit `long`
// where the runtime's were 32-bit, so the range decides, not the C++ type.
std::optional<std::uint32_t> Dword(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Long:
        case QMetaType::LongLong: {
            const qlonglong v = value.toLongLong();
            if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<quint32>::max())
                return std::nullopt;
            return static_cast<std::uint32_t>(v);
        }
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::ULong:
        case QMetaType::ULongLong: {
            const qulonglong v = value.toULongLong();
            if (v > std::numeric_limits<quint32>::max()) return std::nullopt;
            return static_cast<std::uint32_t>(v);
        }
        default:
            return std::nullopt;
    }
}

// A "%" with another "%" at least two characters after it: a pair enclosing a name.
bool HasEnvironmentReference(const QString& s) {
    const qsizetype first = s.indexOf(QLatin1Char('%'));
    return first >= 0 && s.indexOf(QLatin1Char('%'), first + 2) >= 0;
}

QByteArray DwordBytes(std::uint32_t v) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    return bytes;
}

}  // namespace

QString cRegistry::Source() {
    return QStringLiteral("varkelo.cRegistry");
}

// Roots print as the runtime's signed 32-bit integers (HKEY_CURRENT_USER is -2147483647).
QString cRegistry::rootText() const {
    return QString::number(static_cast<qint32>(classKey_));
}

QString cRegistry::setFailedText(const QVariant& value) const {
    return QStringLiteral("Failed to set registry value Key: '") + rootText() +
           QStringLiteral("',Section: '") + sectionKey_ + QStringLiteral("',Key: '") + valueKey_ +
           QStringLiteral("' to value: '") + ValueText(value) + QStringLiteral("'");
}

bool cRegistry::KeyExists() const {
    return Store().OpenKey(classKey_, sectionKey_) == ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    if (Store().CreateKey(classKey_, sectionKey_) != ERROR_SUCCESS)
        Raise(kErrRegistry, Source(), QStringLiteral("Failed to create registry Key: '") + sectionKey_);
    return true;
}

QVariant cRegistry::Value() {
    RegValue stored;
    if (Store().QueryValue(classKey_, sectionKey_, valueKey_, stored) != ERROR_SUCCESS) return default_;
    valueType_ = stored.type;
    switch (stored.type) {
        case REG_SZ:
        case REG_MULTI_SZ:
            // The text without its terminator; a multi-string keeps its separating NULs.
            return DecodeText(stored.data);
        case REG_EXPAND_SZ:
            return ExpandEnvironmentStrings(DecodeText(stored.data));
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN: {
            // A damaged value of the wrong size reads as its first bytes, zero-padded.
            QByteArray bytes = stored.data.left(4);
            bytes.append(QByteArray(4 - bytes.size(), '\0'));
            const std::uint32_t v = stored.type == REG_DWORD
                                        ? qFromLittleEndian<std::uint32_t>(bytes.constData())
                                        : qFromBigEndian<std::uint32_t>(bytes.constData());
            return static_cast<qint32>(v);
        }
        default: {
            QByteArray bytes = stored.data;
            bytes.append('\0');
            return bytes;
        }
    }
}

void cRegistry::SetValue(const QVariant& value) {
    if (Store().CreateKey(classKey_, sectionKey_) != ERROR_SUCCESS)
        Raise(kErrRegistry, Source(), setFailedText(value));

    long status = ERROR_SUCCESS;
    switch (valueType_) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            const QString s = ValueText(value);
            const RegValue v{HasEnvironmentReference(s) ? REG_EXPAND_SZ : REG_SZ, EncodeText(s)};
            status = Store().SetValue(classKey_, sectionKey_, valueKey_, v);
            break;
        }
        case REG_BINARY: {
            if (value.typeId() != QMetaType::QByteArray) Raise(kErrRegistry, Source());
            // The class writes UBound - LBound - 1 bytes: callers hand over arrays in the
            // read form, which carry one trailing byte more than the data. An array of fewer
            // than two bytes writes an empty value instead of a negative length.
            const QByteArray bytes = value.toByteArray();
            const RegValue v{REG_BINARY, bytes.left(std::max<qsizetype>(0, bytes.size() - 2))};
            status = Store().SetValue(classKey_, sectionKey_, valueKey_, v);
            break;
        }
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN:
            // Numbers are always stored little-endian as REG_DWORD, also for type 5.
            if (const auto dword = Dword(value))
                status = Store().SetValue(classKey_, sectionKey_, valueKey_,
                                          RegValue{REG_DWORD, DwordBytes(*dword)});
            break;
        default:
            break;
    }
    // A write the store refused (read-only location, full disk) is reported rather than
    // passed off as success: the settings store turns it into a false result.
    if (status != ERROR_SUCCESS) Raise(kErrSetValueFailed, Source(), setFailedText(value));
}

bool cRegistry::EnumerateValues(QStringList& sKeyNames, int& iKeyCount) {
    sKeyNames.clear();
    iKeyCount = 0;
    QStringList names;
    if (Store().EnumValueNames(classKey_, sectionKey_, names) != ERROR_SUCCESS) return true;
    sKeyNames = names;
    iKeyCount = static_cast<int>(names.size());
    return true;
}

bool cRegistry::EnumerateSections(QStringList& sSect, int& iSectCount) {
    sSect.clear();
    iSectCount = 0;
    try {
        QStringList names;
        if (Store().EnumSubKeys(classKey_, sectionKey_, names) == ERROR_SUCCESS) {
            sSect = names;
            iSectCount = static_cast<int>(names.size());
        }
    } catch (const RuntimeError& e) {
        Raise(kErrEnumSections, Source(), e.Description());
    } catch (const std::exception& e) {
        Raise(kErrEnumSections, Source(), QString::fromLocal8Bit(e.what()));
    }
    return true;
}
