#pragma once
// The run-time error of the program's runtime: a number, a source and a description.
// Operations that "raise" throw it; event handlers catch it at their edge and either
// report it (ReportError) or skip the failing step. It never leaves a handler.

#include <QString>

#include <exception>
#include <string>

namespace platform {

// Classic run-time error numbers, with the texts users of such programs know.
enum ErrorNumber : long {
    errInvalidCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscriptOutOfRange = 9,
    errDivisionByZero = 11,
    errTypeMismatch = 13,
    errFileNotFound = 53,
    errDeviceUnavailable = 68,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectNotSet = 91,
    errInvalidPropertyValue = 380,
    errInvalidPicture = 481,
};

// The object-error base that class-defined errors add their own number to.
inline constexpr long vbObjectError = static_cast<long>(0x80040000u) - 0x100000000L;

// Text of a classic run-time error number; empty for numbers it does not know.
QString ClassicErrorText(long number);

class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString source, QString description);
    // A classic error whose description is its standard text.
    explicit RuntimeError(long number, QString source = {});

    long Number() const noexcept { return number_; }
    const QString& Source() const noexcept { return source_; }
    const QString& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    QString source_;
    QString description_;
    std::string what_;
};

// Raise an error: throws RuntimeError.
[[noreturn]] void Raise(long number, const QString& source = {}, const QString& description = {});

// A 16-bit field of the runtime: a value outside -32768..32767 raises "Overflow" (6).
short CheckedInt16(long long value);

// Runs one step of a handler that skips failing steps and goes on with the next.
// Returns false when the step failed; the failure is contained here.
template <typename F>
bool TryStep(F&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace platform
