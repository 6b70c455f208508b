#include "PortMessages.h"

#include <windows.h>

QString openFailureMessage(int portNumber, const QString &path, const SystemError &error)
{
    switch (error.code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortMessage::missing(portNumber, path,
                                    QStringLiteral("デバイス マネージャーのポート番号"));
    case ERROR_ACCESS_DENIED:
        // Windows lets one program at a time open a COM port and refuses the others so.
        return PortMessage::held(portNumber, path);
    default:
        return PortMessage::notOpened(portNumber, path, error);
    }
}
