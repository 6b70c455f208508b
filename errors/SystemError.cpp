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

SystemError SystemError::of(Kind kind)
{
    return {kind, 0, QString()};
}
