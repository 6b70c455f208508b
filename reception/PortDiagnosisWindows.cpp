#include "PortDiagnosis.h"
#include "PortMessages.h"

#include <windows.h>

QString openFailureMessage(PlayerSlot slot, const QString &path, const SystemError &error)
{
    switch (error.code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortMessage::missing(slot, path,
                                    QStringLiteral("デバイス マネージャーのポート番号"));
    case ERROR_ACCESS_DENIED:
        // Windows lets one program at a time open a COM port and refuses the others so.
        return PortMessage::held(slot, path);
    default:
        return PortMessage::notOpened(slot, path, error);
    }
}
