#include "SystemError.h"

#include "KnownFailures.h"

#include <QtGlobal>

SystemError SystemError::fromCode(int code)
{
    return {code, qt_error_string(code)};
}

SystemError SystemError::fromText(const QString &text)
{
    for (const KnownFailure &failure : knownFailures()) {
        if (qt_error_string(failure.code) == text) {
            return {failure.code, text};
        }
    }
    return {0, text};
}

QString operatorReason(const SystemError &error)
{
    for (const KnownFailure &failure : knownFailures()) {
        if (failure.code == error.code) {
            return QString::fromUtf16(failure.reason);
        }
    }
    return error.text;
}
