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

SystemError SystemError::workingFolderGone()
{
    // No platform has a code of its own for it (Linux says ENOENT, "not found"), so it has no
    // code here, and its words are already the operator's.
    return {0, QStringLiteral("作業フォルダーがありません")};
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
