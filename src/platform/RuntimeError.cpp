#include "platform/RuntimeError.h"

#include <limits>

namespace platform {

QString ClassicErrorText(long number) {
    switch (number) {
    case errInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case errOverflow: return QStringLiteral("Overflow");
    case errOutOfMemory: return QStringLiteral("Out of memory");
    case errSubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case errDivisionByZero: return QStringLiteral("Division by zero");
    case errTypeMismatch: return QStringLiteral("Type mismatch");
    case errFileNotFound: return QStringLiteral("File not found");
    case errDeviceUnavailable: return QStringLiteral("Device unavailable");
    case errPathFileAccess: return QStringLiteral("Path/File access error");
    case errPathNotFound: return QStringLiteral("Path not found");
    case errObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case errInvalidPropertyValue: return QStringLiteral("Invalid property value");
    case errInvalidPicture: return QStringLiteral("Invalid picture");
    default: return {};
    }
}

RuntimeError::RuntimeError(long number, QString source, QString description)
    : number_(number), source_(std::move(source)), description_(std::move(description)),
      what_(QStringLiteral("Error %1: %2").arg(number).arg(description_).toStdString()) {}

RuntimeError::RuntimeError(long number, QString source)
    : RuntimeError(number, std::move(source), ClassicErrorText(number)) {}

void Raise(long number, const QString& source, const QString& description) {
    if (description.isEmpty())
        throw RuntimeError(number, source, ClassicErrorText(number));
    throw RuntimeError(number, source, description);
}

short CheckedInt16(long long value) {
    if (value < std::numeric_limits<short>::min() || value > std::numeric_limits<short>::max())
        Raise(errOverflow);
    return static_cast<short>(value);
}

}  // namespace platform
