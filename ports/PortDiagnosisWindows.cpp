#include "PortFailure.h"

#include "SerialPortList.h"

#include <windows.h>

PortFailure diagnoseOpenFailure(const QString &, const SystemError &error)
{
    PortFailure found;
    found.error = error;
    switch (error.code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        found.kind = PortFailure::Missing;
        found.presentPorts = presentSerialPorts();
        break;
    case ERROR_ACCESS_DENIED:
        // Windows lets one program at a time open a COM port and refuses the others so,
        // without saying which program has it.
        found.kind = PortFailure::Held;
        break;
    default:
        found.kind = error.kind == SystemError::NotSerialPort ? PortFailure::NotSerialPort
                                                              : PortFailure::Other;
        break;
    }
    return found;
}
