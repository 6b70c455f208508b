#include "SystemError.h"

#include "KnownFailures.h"

#include <QtGlobal>

SystemError SystemError::fromCode(int code)
{
    for (const KnownFailure &failure : knownFailures()) {
        if (failure.code == code) {
            return {failure.kind, code, qt_error_string(code)};
        }
    }
    return {Other, code, qt_error_string(code)};
}

SystemError SystemError::fromText(const QString &text)
{
    for (const KnownFailure &failure : knownFailures()) {
        if (qt_error_string(failure.code) == text) {
            return {failure.kind, failure.code, text};
        }
    }
    return {Other, 0, text};
}

SystemError SystemError::of(Kind kind)
{
    return {kind, 0, QString()};
}
