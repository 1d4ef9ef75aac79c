#pragma once
// The common error reporter of the main window's handlers.

#include "platform/RuntimeError.h"

#include <QString>

#include <new>

// Shows "An Error occured! Error No:<n>, Error Description: <d>" (exclamation icon,
// title "Program Error") and restores the default mouse pointer.
void ReportError(long number, const QString& description);

// Runs a handler body that traps run-time errors: any error ends the body and is
// reported. Returns false when the body ended in an error.
template <typename F>
bool TrapErrors(F&& body) {
    try {
        body();
        return true;
    } catch (const platform::RuntimeError& e) {
        ReportError(e.Number(), e.Description());
    } catch (const std::bad_alloc&) {
        ReportError(platform::errOutOfMemory, platform::ClassicErrorText(platform::errOutOfMemory));
    } catch (const std::exception& e) {
        ReportError(platform::errInvalidCall, QString::fromLocal8Bit(e.what()));
    }
    return false;
}
