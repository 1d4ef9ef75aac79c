#pragma once
// Reads and writes one registry value at a time. The caller sets the root (ClassKey),
// the key path (SectionKey), the value name (ValueKey) and, for writes, the data type
// (ValueType), then reads or assigns Value. No key stays open between calls.
//
// Values are QVariants: text is QString, 32-bit numbers are int, binary data is
// QByteArray. Failures of key creation raise platform::RuntimeError with
// number 26001 and source "varkelo.cRegistry"; reads never fail, they give Default.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>

class cRegistry {
public:
    static constexpr long kErrRegistry = 26001;
    // Object-error numbers of this class (the runtime's object-error base + own number).
    static constexpr long kErrSetValueFailed = -2147221504L + 27049;  // 0x800469A9
    static constexpr long kErrEnumSections = -2147221504L + 27050;    // 0x800469AA

    // The source of every error this class raises.
    static QString Source();

    // True when the key itself can be opened for reading.
    bool KeyExists() const;
    // Creates the key (and its parents); raises 26001 when it cannot.
    bool CreateKey();

    // Reads the selected value; Default when it cannot be read. A successful read sets
    // ValueType to the type found. REG_EXPAND_SZ comes back with %NAME% references
    // expanded; binary and other types come back as a byte array one byte longer than
    // the data (the extra last byte is 0).
    QVariant Value();
    // Writes the selected value with the data type of ValueType (see the .cpp for the
    // rules per type). Raises 26001 when the key cannot be created, or when a binary
    // write is not given a byte array.
    void SetValue(const QVariant& value);

    // The value names (or subkey names) of the key; element k - 1 holds name k, the count
    // is the number of names. Both return true, also for a key that cannot be opened.
    bool EnumerateValues(QStringList& sKeyNames, int& iKeyCount);
    bool EnumerateSections(QStringList& sSect, int& iSectCount);

    std::uint32_t ValueType() const { return valueType_; }
    void SetValueType(std::uint32_t type) { valueType_ = type; }
    std::uint32_t ClassKey() const { return classKey_; }
    void SetClassKey(std::uint32_t root) { classKey_ = root; }
    const QString& SectionKey() const { return sectionKey_; }
    void SetSectionKey(const QString& path) { sectionKey_ = path; }
    const QString& ValueKey() const { return valueKey_; }
    void SetValueKey(const QString& name) { valueKey_ = name; }
    const QVariant& Default() const { return default_; }

private:
    QString rootText() const;
    QString setFailedText(const QVariant& value) const;

    std::uint32_t classKey_ = 0;
    QString sectionKey_;
    QString valueKey_;
    std::uint32_t valueType_ = 0;
    QVariant default_;
};
